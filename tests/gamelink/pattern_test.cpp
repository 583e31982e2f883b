#include "gamelink/pattern.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace rw {
namespace {

using namespace std::string_literals;

TEST(HexConversions, Examples) {
  EXPECT_EQ(BytesToHex(""), "");
  EXPECT_EQ(BytesToHex("\x2C\x01\x00\xff\x0a"s), "2C0100FF0A");
  EXPECT_EQ(SwapHexPairs("A1B2C3"), "C3B2A1");
  EXPECT_EQ(SwapHexPairs("ABC"), "BC0A");
  EXPECT_EQ(SwapHexPairs("A"), "0A");
  EXPECT_EQ(SwapHexPairs(""), "");
  EXPECT_EQ(BytesToHexLE("\x78\x56\x34\x12\x00"s), "0012345678");
  EXPECT_EQ(BytesToInt("\x2C\x01"), 300);
  EXPECT_EQ(BytesToInt(""), 0);
  EXPECT_EQ(BytesToInt("\x00\x00\x00\x80"s), INT32_MIN);
  EXPECT_EQ(BytesToInt("\xFF\xFF\xFF\xFF"), -1);
}

TEST(HexConversions, HexToInt) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"", 0},
                        {"00", 0},
                        {"12345678", 305419896},
                        {"ff", 255},
                        {"aBcD", 43981},
                        {"7FFFFFFF", INT32_MAX},
                        {"80000000", INT32_MIN},
                        {"FFFFFFFF", -1},
                        {"000000000000001F", 31}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HexToInt(c.text), c.value);
  }
  for (const std::string bad : {"G1", "100000000", "12 ", "-1", "$12", "0x12"}) {
    SCOPED_TRACE(bad);
    const std::string expected = "'$" + bad + "' is not a valid integer value";
    try {
      HexToInt(bad);
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.what(), expected);
    }
    auto r = TryHexToInt(bad);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().code, ErrorCode::Conversion);
    EXPECT_EQ(r.error().message, expected);
  }
}

TEST(HexConversions, SecondsToClock) {
  EXPECT_EQ(SecondsToClock(0), "00:00");
  EXPECT_EQ(SecondsToClock(65), "01:05");
  EXPECT_EQ(SecondsToClock(1199), "19:59");
  EXPECT_EQ(SecondsToClock(6000), "100:00");
  EXPECT_EQ(SecondsToClock(600), "10:00");
}

TEST(ParsePattern, SplitsIntoRuns) {
  struct Case {
    const char* pattern;
    ArrStr literals;
    ArrInt lengths;
    ArrStr texts;
  };
  const Case cases[] = {
      {"33C066813DXXXXXXXXFF000F94C0C3",
       {"\x33\xC0\x66\x81\x3D", "\xFF\x00\x0F\x94\xC0\xC3"s},
       {4},
       {"XXXXXXXX"}},
      {"33c066813dxxxxxxxxff000f94c0c3",
       {"\x33\xC0\x66\x81\x3D", "\xFF\x00\x0F\x94\xC0\xC3"s},
       {4},
       {"xxxxxxxx"}},
      {"83E0FB251CFFFFFF83E0E78935LLLLLLLL8935MMMMMMMMC705XXXXXXXX01000000",
       {"\x83\xE0\xFB\x25\x1C\xFF\xFF\xFF\x83\xE0\xE7\x89\x35", "\x89\x35", "\xC7\x05", "\x01\x00\x00\x00"s},
       {4, 4, 4},
       {"LLLLLLLL", "MMMMMMMM", "XXXXXXXX"}},
      // Letters of different wildcard pairs join into one run; a pair with one hex digit is a
      // wildcard.
      {"90XXLL9G91", {"\x90", "\x91"}, {3}, {"XXLL9G"}},
      {"90XX", {"\x90"}, {1}, {"XX"}},
      {"XX90", {"\x90"}, {1}, {"XX"}},
      {"909", {}, {}, {}},
      {"", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    ArrStr literals{"stale"}, texts{"stale"};
    ArrInt lengths{99};
    ParsePattern(c.pattern, literals, lengths, texts);
    EXPECT_EQ(literals, c.literals);
    EXPECT_EQ(lengths, c.lengths);
    EXPECT_EQ(texts, c.texts);
  }
}

class FindPatternTest : public ::testing::Test {
 protected:
  // Filler that none of the test patterns contains.
  static std::string Filler(std::size_t n) { return std::string(n, '\x90'); }
  TPattern r;
};

TEST_F(FindPatternTest, CapturesTheXRun) {
  const std::string code =
      Filler(7) + "\x33\xC0\x66\x81\x3D\x78\x56\x34\x12\xFF\x00\x0F\x94\xC0\xC3"s + Filler(3);
  EXPECT_EQ(FindPattern(code, "33C066813DXXXXXXXXFF000F94C0C3", r), 7);
  EXPECT_EQ(r.Pattern, "33C066813DXXXXXXXXFF000F94C0C3");
  EXPECT_EQ(r.MatchOffset, 7);
  EXPECT_EQ(r.MatchHex, "33C066813D78563412FF000F94C0C3");
  EXPECT_EQ(r.XMemHex, "78563412");
  EXPECT_EQ(r.XNumHex, "12345678");
  EXPECT_EQ(r.XValue, 305419896);
  EXPECT_EQ(r.YMemHex, "");
  EXPECT_EQ(r.YValue, 0);

  // Lower-case pairs and capture letter find the same.
  TPattern lower;
  EXPECT_EQ(FindPattern(code, "33c066813dxxxxxxxxff000f94c0c3", lower), 7);
  EXPECT_EQ(lower.XValue, 305419896);
  EXPECT_EQ(lower.MatchHex, r.MatchHex);
}

TEST_F(FindPatternTest, LaterRunsMustAllMatch) {
  const std::string pattern = "83E0FB251CFFFFFF83E0E78935LLLLLLLL8935MMMMMMMMC705XXXXXXXX01000000";
  const std::string head = "\x83\xE0\xFB\x25\x1C\xFF\xFF\xFF\x83\xE0\xE7\x89\x35\x11\x11\x11\x11\x89\x35"s +
                           "\x22\x22\x22\x22\xC7\x05\x44\x33\x22\x11"s;
  // First occurrence has a wrong trailing run, the second a wrong middle run, the third matches.
  std::string code = head + "\x02\x00\x00\x00"s + Filler(5);
  std::string wrongMiddle = head + "\x01\x00\x00\x00"s;
  wrongMiddle[17] = '\x8B';
  code += wrongMiddle + Filler(2);
  const std::size_t at = code.size();
  code += head + "\x01\x00\x00\x00"s;
  EXPECT_EQ(FindPattern(code, pattern, r), static_cast<std::int32_t>(at));
  EXPECT_EQ(r.XMemHex, "44332211");
  EXPECT_EQ(r.XValue, 0x11223344);
  // Only the X run is recorded.
  EXPECT_EQ(r.YMemHex, "");
  EXPECT_EQ(r.ZMemHex, "");
}

TEST_F(FindPatternTest, OverlappingFirstRunOccurrences) {
  // 0F 0F occurs at 0, 1 and 2; only at 1 does the 90 follow after one wildcard byte.
  const std::string code = "\x0F\x0F\x0F\x0F\x90\x90"s;
  EXPECT_EQ(FindPattern(code, "0F0FXX90", r), 1);
  EXPECT_EQ(r.MatchHex, "0F0F0F90");
  EXPECT_EQ(r.XMemHex, "0F");
  EXPECT_EQ(FindPattern("\xAA\xAA\xAA\xAB"s, "AAAAAB", r), 1);
}

TEST_F(FindPatternTest, NegativeAndOtherCaptures) {
  struct Case {
    const char* name;
    std::string code, pattern;
    std::int32_t x, y, z;
    const char *xMem, *yNum;
  };
  const Case cases[] = {
      {"00000080 is the lowest int", "\x01\x00\x00\x00\x80\x02"s, "01XXXXXXXX02", INT32_MIN, 0, 0, "00000080",
       ""},
      {"FFFFFFFF is -1", "\x01\xFF\xFF\xFF\xFF\x02", "01XXXXXXXX02", -1, 0, 0, "FFFFFFFF", ""},
      {"y and z in lower case", "\x01\x34\x12\x02\x56\x03"s, "01yyyy02zz03", 0, 0x1234, 0x56, "", "1234"},
      // Runs with the same text take the bytes of the first of them.
      {"same text twice", "\x01\x05\x02\x06\x03"s, "01XX02XX03", 5, 0, 0, "05", ""},
      // The last run of a letter fills its fields.
      {"letter twice", "\x01\x05\x02\x06\x07\x03"s, "01XX02XXXX03", 0x0706, 0, 0, "0607", ""},
      // A trailing wildcard run need not fit; its capture is cut where the code ends.
      {"trailing capture cut short", "\x90\x01\x02\x34\x12"s, "0102XXXXXXXX", 0x1234, 0, 0, "3412", ""},
      {"trailing capture empty", "\x01\x02"s, "0102XXXXXXXX", 0, 0, 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPattern res;
    EXPECT_GE(FindPattern(c.code, c.pattern, res), 0);
    EXPECT_EQ(res.XValue, c.x);
    EXPECT_EQ(res.YValue, c.y);
    EXPECT_EQ(res.ZValue, c.z);
    EXPECT_EQ(res.XMemHex, c.xMem);
    EXPECT_EQ(res.YNumHex, c.yNum);
  }
}

TEST_F(FindPatternTest, NoMatchLeavesEverythingEmpty) {
  const std::string code = Filler(10) + "\x33\xC0\x66\x81\x3D\x78\x56\x34\x12\xFF\x00"s + Filler(10);
  const char* patterns[] = {
      "33C066813DXXXXXXXXFF000F94C0C3",          // first run occurs, later run does not
      "B80100000069C07C07000005XXXXXXXXC20800",  // first run does not occur
      "33C066813DXXXXXXXXFF000F94C0C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3C3",  // longer than the code
  };
  for (const char* p : patterns) {
    SCOPED_TRACE(p);
    TPattern res;
    res.XMemHex = "stale";
    res.XValue = 77;
    EXPECT_EQ(FindPattern(code, p, res), -1);
    EXPECT_EQ(res.MatchOffset, -1);
    EXPECT_EQ(res.MatchHex, "");
    EXPECT_EQ(res.XMemHex, "");
    EXPECT_EQ(res.XNumHex, "");
    EXPECT_EQ(res.XValue, 0);
  }
  EXPECT_EQ(FindPattern("", "90", r), -1);
}

// Patterns outside the syntax find nothing, whatever the code holds, and never crash.
TEST_F(FindPatternTest, BrokenSyntaxFindsNothing) {
  const std::string code = "\x90\x90\x01\x90\x90"s + Filler(200);
  for (const char* p : {"", "9", "909", "XX", "XX90", "LLMM", "xx01", "9G90", "90 ", "\x80\x80"}) {
    SCOPED_TRACE(p);
    TPattern res;
    EXPECT_EQ(FindPattern(code, p, res), -1);
    EXPECT_EQ(res.Pattern, p);
    EXPECT_EQ(res.MatchHex, "");
    EXPECT_EQ(res.XValue, 0);
  }
}

// A capture wider than four bytes can exceed 32 bits; the conversion error reaches the caller
// like any other HexToInt error.
TEST_F(FindPatternTest, WideCaptureRaisesConversionError) {
  EXPECT_EQ(FindPattern("\x01\x00\x00\x00\x00\x00"s, "01XXXXXXXXXX", r), 0);
  EXPECT_THROW(FindPattern("\x01\x00\x00\x00\x00\x01"s, "01XXXXXXXXXX", r), ConversionError);
}

TEST(LocateRuns, DirectCallsWithOddRuns) {
  const std::string code = "\x01\x02\x03\x04\x05"s;
  EXPECT_EQ(LocateRuns(code, {}, {}), -1);
  EXPECT_EQ(LocateRuns(code, {""}, {}), -1);
  EXPECT_EQ(LocateRuns(code, {"\x02", "\x05"}, {-1}), -1);
  EXPECT_EQ(LocateRuns(code, {"\x02", "\x05"}, {2}), 1);
  EXPECT_EQ(LocateRuns(code, {"\x02", "\x03"}, {}), 1);  // missing gap counts as 0
  EXPECT_EQ(LocateRuns(code, {"\x02", ""}, {3}), 1);     // an empty run fits at the very end
  EXPECT_EQ(LocateRuns(code, {"\x02", ""}, {4}), -1);
  EXPECT_EQ(LocateRuns(code, {"\x01", "\x05"}, {INT32_MAX}), -1);
}

}  // namespace
}  // namespace rw
