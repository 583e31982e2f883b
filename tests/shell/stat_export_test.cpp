#include "shell/stat_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/files.h"
#include "support/fakes.h"

namespace rw {
namespace {

namespace fs = std::filesystem;

Bytes Hex(std::string_view hex) {
  Bytes out;
  std::istringstream in{std::string(hex)};
  unsigned v;
  while (in >> std::hex >> v) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(XlsTest, SmallTableByteForByte) {
  TCellTable t(2, 2);
  t.SetCell(0, 0, "Team");
  t.SetCell(1, 0, "Goal");
  t.SetCell(0, 1, "ABC");
  const Bytes expected =
      Hex("09 08 08 00 00 00 10 00 00 00 00 00 "              // BOF
          "42 00 02 00 E4 04 "                                // CODEPAGE 1252
          "31 00 0A 00 C8 00 00 00 05 41 72 69 61 6C "        // FONT Arial 10 pt
          "43 00 04 00 00 00 00 00 "                          // XF
          "04 02 0C 00 00 00 00 00 00 00 04 00 54 65 61 6D "  // (0,0) Team
          "04 02 0B 00 01 00 00 00 00 00 03 00 41 42 43 "     // (0,1) ABC
          "04 02 0C 00 00 00 01 00 00 00 04 00 47 6F 61 6C "  // (1,0) Goal
          "04 02 08 00 01 00 01 00 00 00 00 00 "              // (1,1) empty
          "0A 00 00 00");                                     // EOF
  auto bytes = BuildXls(t);
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(*bytes, expected);
}

TEST(XlsTest, SizeRuleAndLongTextCut) {
  TCellTable t(3, 4);
  std::size_t textBytes = 0;
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 4; ++r) {
      const std::string text((c * 4 + r) % 5 == 0 ? 0 : c * 7 + r, 'x');
      t.SetCell(c, r, text);
      textBytes += text.size();
    }
  }
  const std::string longText(300, 'L');
  t.SetCell(2, 3, longText);
  textBytes = textBytes - (2 * 7 + 3) + 255;
  auto bytes = BuildXls(t);
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(bytes->size(), 16 + 12 * 3 * 4 + textBytes + 28);

  // The last LABEL (column 2, row 3) precedes EOF: length 8 + 255 and the first 255 bytes.
  const std::size_t last = bytes->size() - 4 - 12 - 255;
  ByteReader rd(*bytes);
  EXPECT_EQ(rd.U16LeAt(last), 0x0204);
  EXPECT_EQ(rd.U16LeAt(last + 2), 8 + 255);
  EXPECT_EQ(rd.U16LeAt(last + 4), 3);  // row
  EXPECT_EQ(rd.U16LeAt(last + 6), 2);  // column
  EXPECT_EQ(rd.U16LeAt(last + 10), 255);
  EXPECT_EQ(ToString(*rd.SpanAt(last + 12, 255)), longText.substr(0, 255));
}

TEST(XlsTest, TableBeyondSixteenBitRowsIsRefused) {
  TCellTable t(1, 70000);
  auto bytes = BuildXls(t);
  ASSERT_FALSE(bytes.ok());
  EXPECT_EQ(bytes.error().code, ErrorCode::TooLarge);
}

TEST(CsvTest, CellCases) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"12", "12"},
      {"", "\"\""},
      {"a,b", "\"a,b\""},
      {"\"", "\"\"\"\""},
      {"a,\"b", "\"a,\"\"b\""},                      // comma and quote: enclosed once, quote doubled
      {"x\r\ny,z", "\"x\x0By,z\""},                  // CR LF with a comma
      {"x\r\ny", "\"x\x0By\""},                      // CR LF without a comma would split the row
      {"x\ny", "\"x\ny\""},                          // a lone LF, kept inside the quotes
      {"say \"hi\"\r\n", "\"say \"\"hi\"\"\x0B\""},  // quote and line break: enclosed once
      {"caf\xE9", "caf\xE9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(CsvCell(c.in), c.out);
  }
}

TEST(CsvTest, TableLines) {
  TCellTable t(3, 3);
  t.SetCell(0, 0, "Name");
  t.SetCell(1, 0, "G");
  t.SetCell(2, 0, "A");
  t.SetCell(0, 2, "Smith, J");
  t.SetCell(1, 2, "2");
  t.SetCell(2, 2, "0");
  EXPECT_EQ(BuildCsv(t), "Name,G,A\r\n\"\",\"\",\"\"\r\n\"Smith, J\",2,0\r\n");
}

TEST(HtmlTest, MatchesFixture) {
  TCellTable t(2, 4);
  t.SetCell(0, 0, "Team");
  t.SetCell(1, 0, " ");  // a blank title cell keeps its blank
  t.SetCell(0, 1, "ABC");
  t.SetCell(0, 2, "a\rb");
  t.SetCell(1, 2, " \t");  // blanks and control bytes only: <br>
  t.SetCell(0, 3, "<b>R&D</b>");
  t.SetCell(1, 3, "say \"hi\"");
  EXPECT_EQ(BuildHtml(t), ReadText(fs::path(RW_TEST_DATA_DIR) / "shell" / "stat_table.html"));
}

TEST(HtmlTest, NamesReachThePageAsText) {
  EXPECT_EQ(HtmlCellContent("<script>alert('x')</script>", false), "&lt;script&gt;alert('x')&lt;/script&gt;");
  EXPECT_EQ(HtmlCellContent("A&B \"C\"\r2", true), "A&amp;B &quot;C&quot;<br>2");
  EXPECT_EQ(HtmlCellContent("", true), "<br>");
  EXPECT_EQ(HtmlCellContent(" ", true), " ");
  EXPECT_EQ(HtmlCellContent(" ", false), "<br>");
}

TEST(HtmlTest, ColoursAreSixUppercaseHexDigits) {
  TCellTable t(1, 2);
  const std::string html = BuildHtml(t, HtmlColours{0xd4d0c8, 0xabcdef, 0x0a0b0c});
  EXPECT_NE(html.find(".c0 {background-color: #D4D0C8;color: #0A0B0C;"), std::string::npos);
  EXPECT_NE(html.find(".c1 {background-color: #ABCDEF;color: #0A0B0C;"), std::string::npos);
}

class SaveStatTest : public ::testing::Test {
 protected:
  SaveStatTest() : clock({2007, 12, 31, 21, 5, 9, 0}) {
    rt.UserName = "user";
    rt.HomeTeamAbbr = "ABC";
    rt.AwayTeamAbbr = "DEF";
    rt.LogFolder = dir.str();
    for (auto* t : {&window.StatGrid, &window.PlayerStat, &window.SummaryGrid}) {
      t->ColCount(2);
      t->RowCount(2);
    }
    window.StatGrid.SetCell(0, 0, "Team");
    window.PlayerStat.SetCell(0, 0, "Player");
    window.PlayerStat.SetCell(1, 1, "a,b");
    window.SummaryGrid.SetCell(1, 0, "Goal");
  }
  fs::path File(const std::string& kind, const std::string& ext) const {
    return dir.path() / ("user__ABC-DEF_" + kind + "__31_12_07__21_05_09" + ext);
  }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
  }

  test::TempDir dir;
  test::FakeClock clock;
  MainWindowState window;
  RuntimeValues rt;
  MemoryRegistry reg;
};

TEST_F(SaveStatTest, WritesThreeFilesInTheStoredFormat) {
  struct Case {
    std::optional<std::int32_t> stored;
    std::string ext;
  };
  const Case cases[] = {{std::nullopt, ".xls"}, {0, ".xls"}, {1, ".csv"}, {2, ".html"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ext);
    if (c.stored) {
      ASSERT_TRUE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", *c.stored));
    }
    auto written = SaveStat(window, rt, reg, clock);
    ASSERT_TRUE(written.ok()) << written.error().message;
    ASSERT_EQ(written->size(), 3u);
    EXPECT_EQ((*written)[0], dir.str() + "\\user__ABC-DEF_teamstat__31_12_07__21_05_09" + c.ext);

    const std::pair<const TCellTable*, std::string> files[] = {{&window.StatGrid, "teamstat"},
                                                               {&window.PlayerStat, "playerstat"},
                                                               {&window.SummaryGrid, "gamestat"}};
    for (const auto& [table, kind] : files) {
      std::string expected;
      if (c.ext == ".xls") expected = ToString(*BuildXls(*table));
      if (c.ext == ".csv") expected = BuildCsv(*table);
      if (c.ext == ".html") expected = BuildHtml(*table);
      EXPECT_EQ(ReadText(File(kind, c.ext)), expected) << kind;
    }
    EXPECT_EQ(window.Label(LabelId::Label4), "Team: user__ABC-DEF_teamstat__31_12_07__21_05_09" + c.ext);
    EXPECT_EQ(window.Label(LabelId::Label7), "Player: user__ABC-DEF_playerstat__31_12_07__21_05_09" + c.ext);
    EXPECT_EQ(window.Label(LabelId::Label8), "Summary: user__ABC-DEF_gamestat__31_12_07__21_05_09" + c.ext);
  }
}

TEST_F(SaveStatTest, NamesFollowTheFileNameRule) {
  rt.UserName = "a/b:c";
  rt.HomeTeamAbbr = "A*?";
  auto written = SaveStat(window, rt, reg, clock);
  ASSERT_TRUE(written.ok()) << written.error().message;
  EXPECT_EQ(window.Label(LabelId::Label4), "Team: a_b_c__A__-DEF_teamstat__31_12_07__21_05_09.xls");
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "a_b_c__A__-DEF_teamstat__31_12_07__21_05_09.xls"));
}

TEST_F(SaveStatTest, FormatOutsideRangeWritesNothing) {
  ASSERT_TRUE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", 7));
  window.SetLabel(LabelId::Label4, "Team: old.xls");
  auto written = SaveStat(window, rt, reg, clock);
  ASSERT_TRUE(written.ok());
  EXPECT_TRUE(written->empty());
  EXPECT_EQ(FileCount(), 0u);
  EXPECT_EQ(window.Label(LabelId::Label4), "Team: ");
  EXPECT_EQ(window.Label(LabelId::Label7), "Player: ");
  EXPECT_EQ(window.Label(LabelId::Label8), "Summary: ");
}

TEST_F(SaveStatTest, FailureAtSecondFileKeepsTheFirst) {
  const std::string exts[] = {".xls", ".csv", ".html"};
  for (std::int32_t format = 0; format < 3; ++format) {
    const std::string& ext = exts[format];
    SCOPED_TRACE(ext);
    ASSERT_TRUE(WriteRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat", format));
    window.SetLabel(LabelId::Label4, "Team stat:");
    // A folder of the second file's exact name cannot be replaced by a file.
    fs::create_directory(File("playerstat", ext));
    auto written = SaveStat(window, rt, reg, clock);
    ASSERT_FALSE(written.ok());
    const std::string path = dir.str() + "\\user__ABC-DEF_playerstat__31_12_07__21_05_09" + ext;
    if (format == 0) {
      const std::string prefix = "Cannot create file \"" + path + "\". ";
      EXPECT_EQ(written.error().message.substr(0, prefix.size()), prefix);
      EXPECT_GT(written.error().message.size(), prefix.size());  // the system's reason follows
    } else {
      EXPECT_EQ(written.error().message, "Cannot Create file " + path);
    }
    EXPECT_TRUE(fs::is_regular_file(File("teamstat", ext)));
    EXPECT_FALSE(fs::exists(File("gamestat", ext)));
    EXPECT_EQ(window.Label(LabelId::Label4), "Team stat:");
  }
}

}  // namespace
}  // namespace rw
