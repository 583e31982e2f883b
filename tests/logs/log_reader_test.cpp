#include "logs/log_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <random>

#include "common/paths.h"
#include "log_samples.h"
#include "logs/log_writer.h"
#include "support/fakes.h"

namespace rw {
namespace {

using test::BuildOrDie;
using test::ContentsFor;
using test::FakeUi;
using test::FiveTables;
using test::IsEmptied;
using test::TempDir;
using test::WriteBytes;

constexpr char kName[] = "Player1__WSH-PIT__05_03_07__21_14_33.log";

class LogReaderTest : public ::testing::Test {
 protected:
  LogReaderTest() {
    // Leftovers of a larger earlier log, which every load must clear first.
    for (auto& t : out) {
      t = test::MakeTable(
          {{"old", "old", "old", "old", "old"}, {"1", "2", "3", "4", "5"}, {"a", "b", "c", "d", "e"}});
    }
    header.Version = -7;
    header.User = "untouched";
  }

  std::string Write(const Bytes& bytes, const std::string& name = kName) {
    WriteBytes(dir.path() / name, bytes);
    return JoinSystemPath(dir.str(), name);
  }
  LogTables Targets() { return {&out[0], &out[1], &out[2], &out[3], &out[4]}; }
  Status Load(const std::string& path, LogCaller caller = LogCaller::MainWindow) {
    return EnCoding(caller, path, Targets(), header, &window, ui);
  }
  bool HeaderUntouched() const { return header.Version == -7 && header.User == "untouched"; }

  TempDir dir;
  FakeUi ui;
  MainWindowState window;
  FiveTables out;
  TLogHeader header;
};

TEST_F(LogReaderTest, RoundTripRestoresTablesHeaderAndLabel) {
  FiveTables in = test::SampleTables();
  in[3].SetCell(1, 1, "x\r\ny");        // a CR: only the part before it survives
  in[2].SetCell(1, 1, "line\nbreak");   // LF alone is kept
  ASSERT_TRUE(in[4].ColWidths(1, -1));  // widths travel, hidden ones included
  const LogContents c = ContentsFor("Player1", kName, in);
  ASSERT_TRUE(Load(Write(BuildOrDie(c))));

  in[3].SetCell(1, 1, "x");
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(out[k], in[k]) << "table " << k + 1;
  EXPECT_EQ(header.Version, kLogFormatVersion);
  EXPECT_EQ(header.LogName, kName);
  EXPECT_EQ(header.User, "Player1");
  EXPECT_EQ(header.HomeAbbr, "WSH");
  EXPECT_EQ(header.AwayAbbr, "PIT");
  EXPECT_EQ(header.WrittenAt, c.WrittenAt);
  EXPECT_EQ(header.GameEndAt, c.GameEndAt);
  EXPECT_EQ(window.Label(LabelId::Label11), std::string("Log from Player1: ") + kName);
  EXPECT_EQ(ui.beeps, 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LogReaderTest, LogCheckWindowLeavesTheLabelAlone) {
  ASSERT_TRUE(Load(Write(BuildOrDie(ContentsFor("Player1", kName, test::SampleTables()))),
                   LogCaller::LogCheckWindow));
  EXPECT_EQ(window.Label(LabelId::Label11), "Log:");
  EXPECT_EQ(header.User, "Player1");
}

TEST_F(LogReaderTest, WrongVersionWarnsAndLeavesTablesEmpty) {
  LogContents c = ContentsFor("Player1", kName, test::SampleTables());
  c.Version = 1206;
  const Status st = Load(Write(BuildOrDie(c)));
  ASSERT_FALSE(st);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Wrong or old version of rinkwarden log.");
  EXPECT_EQ(ui.messages[0].caption, "Warning!");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(ui.beeps, 0);
  for (const auto& t : out) EXPECT_TRUE(IsEmptied(t));
  EXPECT_TRUE(HeaderUntouched());
  EXPECT_EQ(window.Label(LabelId::Label11), "Log:");
}

// Failures before the header is decoded: a beep, five empty tables, header and label as they
// were.
TEST_F(LogReaderTest, UnreadableOrShortFilesBeepBeforeTheHeader) {
  const Bytes full = BuildOrDie(ContentsFor("Player1", kName, test::SampleTables()));
  struct Case {
    const char* name;
    std::size_t size;  // the full log cut to this size
  };
  const Case cases[] = {{"empty", 0},
                        {"3 bytes", 3},
                        {"10 bytes", 10},
                        {"inside the date-times", 19},
                        {"no header block", 20},
                        {"header cut short", 1725}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui = FakeUi();
    window.SetLabel(LabelId::Label11, "Log:");
    const Status st = Load(Write(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.size))));
    EXPECT_FALSE(st);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_TRUE(ui.messages.empty());
    for (const auto& t : out) EXPECT_TRUE(IsEmptied(t));
    EXPECT_TRUE(HeaderUntouched());
    EXPECT_EQ(window.Label(LabelId::Label11), "Log:");
  }
  ui = FakeUi();
  EXPECT_FALSE(Load(JoinSystemPath(dir.str(), "missing.log")));
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_TRUE(HeaderUntouched());
}

TEST_F(LogReaderTest, OddByteCountAfterTheHeaderSetsHeaderButLoadsNoTable) {
  Bytes b = BuildOrDie(ContentsFor("Player1", kName, test::SampleTables()));
  b.push_back(0x31);
  ASSERT_FALSE(Load(Write(b)));
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(header.User, "Player1");
  EXPECT_EQ(header.Version, kLogFormatVersion);
  EXPECT_EQ(window.Label(LabelId::Label11), std::string("Log from Player1: ") + kName);
  for (const auto& t : out) EXPECT_TRUE(IsEmptied(t));
}

TEST_F(LogReaderTest, BadTableStreamKeepsEarlierTablesAndLeavesLaterOnesEmpty) {
  FiveTables in = test::SampleTables();
  LogContents c = ContentsFor("Player1", kName, in);
  c.Streams[2] = "2,3\r\ncw 0,50\r\ncw x,1\r\n0,1,never\r\n";
  ASSERT_FALSE(Load(Write(BuildOrDie(c))));
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(out[0], in[0]);
  EXPECT_EQ(out[1], in[1]);
  EXPECT_EQ(out[2].ColCount(), 2);  // what came before the bad line stays
  EXPECT_EQ(out[2].RowCount(), 3);
  EXPECT_EQ(out[2].ColWidths(0), 50);
  EXPECT_EQ(out[2].StoredCells(), 0u);
  EXPECT_TRUE(IsEmptied(out[3]));
  EXPECT_TRUE(IsEmptied(out[4]));
}

TEST_F(LogReaderTest, HighByteOfAWordIsIgnored) {
  FiveTables in = test::SampleTables();
  Bytes b = BuildOrDie(ContentsFor("Player1", kName, in));
  for (std::size_t o = 21; o < b.size(); o += 2) b[o] ^= 0x7E;
  ASSERT_TRUE(Load(Write(b)));
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(out[k], in[k]) << "table " << k + 1;
  EXPECT_EQ(header.User, "Player1");
}

// Stored lengths come from another player's file: any 32-bit value must split the tables
// without reading outside the file, and a boundary no word meets keeps everything in the
// current stream.
TEST(DecodeLogTables, BoundariesFromCraftedLengths) {
  // Plain bytes "AABBBCCCC..." at key 0: each word is the byte and 00.
  std::string plain = "AABBBCCCCDDDDDEEEEEE";
  Bytes file(1726, 0);
  for (char ch : plain) {
    file.push_back(static_cast<std::uint8_t>(ch));
    file.push_back(0);
  }
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  struct Case {
    const char* name;
    std::array<std::int32_t, 5> lengths;
    std::array<const char*, 5> streams;
  };
  const Case cases[] = {
      {"exact", {6, 8, 10, 12, 14}, {"AA", "BBB", "CCCC", "DDDDD", "EEEEEE"}},
      {"L5 unused", {6, 8, 10, 12, kMin}, {"AA", "BBB", "CCCC", "DDDDD", "EEEEEE"}},
      {"odd boundary stops switching", {6, 9, 10, 12, 14}, {"AA", "BBBCCCCDDDDDEEEEEE", "", "", ""}},
      {"negative", {-1000, 8, 10, 12, 14}, {"AABBBCCCCDDDDDEEEEEE", "", "", "", ""}},
      {"most negative", {kMin, kMin, kMin, kMin, kMin}, {"AABBBCCCCDDDDDEEEEEE", "", "", "", ""}},
      {"huge", {kMax, kMax, kMax, kMax, kMax}, {"AABBBCCCCDDDDDEEEEEE", "", "", "", ""}},
      {"past the end", {6, 8, 10, 1000, 14}, {"AA", "BBB", "CCCC", "DDDDDEEEEEE", ""}},
      // L = 2 puts a boundary on the word that opens the table: only one switch per word.
      {"zero-length table", {2, 8, 10, 12, 14}, {"AABBBCCCCDDDDDEEEEEE", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto s = DecodeLogTables(file, 0, c.lengths);
    for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(s[k], c.streams[k]) << "stream " << k + 1;
  }
  // The key comes off the low byte modulo 256.
  Bytes shifted(file.begin(), file.begin() + 1726);
  for (char ch : plain) {
    const int w = static_cast<unsigned char>(ch) + 236;
    shifted.push_back(static_cast<std::uint8_t>(w & 0xFF));
    shifted.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  EXPECT_EQ(DecodeLogTables(shifted, 236, {6, 8, 10, 12, 14})[4], "EEEEEE");
}

TEST_F(LogReaderTest, CraftedLogsFailCleanly) {
  struct Case {
    const char* name;
    std::function<void(LogContents&)> craft;
    bool loads;          // EnCoding reports success
    int tablesWithText;  // how many of the five tables end up with cells
  };
  const Case cases[] = {
      {"size line of 65,536 columns",
       [](LogContents& c) { c.Streams[0] = "65536,2\r\ncw 0,64\r\n0,1,x\r\n"; }, false, 0},
      {"size line of 2^31 rows", [](LogContents& c) { c.Streams[1] = "1,2147483648\r\n"; }, false, 1},
      {"a million cells asked for", [](LogContents& c) { c.Streams[0] = "60000,60000\r\n"; }, false, 0},
      {"width for a column beyond the table", [](LogContents& c) { c.Streams[0] = "1,2\r\ncw 5,64\r\n"; },
       false, 0},
      {"cell outside the size line", [](LogContents& c) { c.Streams[4] = "1,2\r\ncw 0,64\r\n9,9,far\r\n"; },
       true, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui = FakeUi();
    LogContents contents = ContentsFor("Player1", kName, test::SampleTables());
    c.craft(contents);
    EXPECT_EQ(Load(Write(BuildOrDie(contents))).ok(), c.loads);
    EXPECT_EQ(ui.beeps, c.loads ? 0 : 1);
    int withText = 0;
    for (const auto& t : out) withText += t.StoredCells() > 0;
    EXPECT_EQ(withText, c.tablesWithText);
  }
}

// Header fields whose length byte claims more than the field holds are cut to the field, and
// lengths that point anywhere leave the tables in one stream.
TEST_F(LogReaderTest, CraftedHeaderFieldsAndLengths) {
  Bytes b = BuildOrDie(ContentsFor("Player1", kName, test::SampleTables(), {2007, 3, 5, 21, 0, 0},
                                   {2007, 3, 5, 20, 0, 0}));         // key 0: words are plain bytes
  b[20] = 255;                                                       // User's length byte
  for (std::size_t i = 0; i < 4; ++i) b[20 + 2 * (833 + i)] = 0xFF;  // L1 = -1
  ASSERT_TRUE(Load(Write(b)));
  EXPECT_EQ(header.User.size(), 64u);
  EXPECT_EQ(header.User.substr(0, 7), "Player1");
  // Everything landed in table 1's stream, whose load stops at table 2's size line.
  EXPECT_EQ(out[0], test::SampleTables()[0]);
  for (std::size_t k = 1; k < 5; ++k) EXPECT_TRUE(IsEmptied(out[k]));
}

// Random damage anywhere in a valid log (header words, lengths, table text, file size) must
// end in a clean success or failure; ASan and UBSan watch the reads.
TEST_F(LogReaderTest, RandomlyDamagedLogsNeverReadOutOfBounds) {
  const Bytes valid = BuildOrDie(ContentsFor("Player1", kName, test::SampleTables()));
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    Bytes b = valid;
    const int hits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < hits; ++i) b[20 + rng() % (b.size() - 20)] = static_cast<std::uint8_t>(rng());
    if (round % 3 == 0) b.resize(1726 + rng() % (b.size() - 1726));
    ui = FakeUi();
    const Status st = Load(Write(b));
    EXPECT_EQ(ui.beeps, st.ok() ? 0 : 1) << "round " << round;
    EXPECT_TRUE(ui.messages.empty());
  }
}

class LoadLogCommandTest : public LogReaderTest {};

TEST_F(LoadLogCommandTest, ShowsTheLogHidesRosterColumnAndEnablesMail) {
  std::vector<int> grids;
  window.Subscribe([&](const WindowChange& ch) {
    if (ch.kind == WindowChange::Kind::Grid) grids.push_back(ch.which);
  });
  const std::string path = Write(BuildOrDie(ContentsFor("Player1", kName, test::SampleTables())));
  ASSERT_TRUE(LoadLogCommand(window, path, ui));
  EXPECT_EQ(window.PlayerGrid.ColWidths(3), -1);
  EXPECT_EQ(window.PlayerGrid.GetCell(0, 1), "Ovechkin");
  EXPECT_EQ(window.RulesGrid.GetCell(0, 0), "Skill Level");
  EXPECT_EQ(window.Panel(2), " " + path);
  EXPECT_TRUE(window.Enabled(CommandId::Mail));
  EXPECT_EQ(window.Label(LabelId::Label11), std::string("Log from Player1: ") + kName);
  for (GridId id :
       {GridId::RulesGrid, GridId::StatGrid, GridId::PlayerStat, GridId::SummaryGrid, GridId::PlayerGrid}) {
    EXPECT_NE(std::find(grids.begin(), grids.end(), static_cast<int>(id)), grids.end());
  }
}

TEST_F(LoadLogCommandTest, StopsAtTheFirstStepThatFails) {
  struct Case {
    const char* name;
    std::function<void(LogContents&)> craft;
  };
  const Case cases[] = {
      {"wrong version", [](LogContents& c) { c.Version = 1206; }},
      {"roster of 3 columns",
       [](LogContents& c) { c.Streams[0] = "3,2\r\ncw 0,64\r\ncw 1,64\r\ncw 2,64\r\n"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainWindowState fresh;
    fresh.SetPanel(2, " before");
    LogContents contents = ContentsFor("Player1", kName, test::SampleTables());
    c.craft(contents);
    EXPECT_FALSE(LoadLogCommand(fresh, Write(BuildOrDie(contents)), ui));
    EXPECT_EQ(fresh.Panel(2), " before");
    EXPECT_FALSE(fresh.Enabled(CommandId::Mail));
  }
}

}  // namespace
}  // namespace rw
