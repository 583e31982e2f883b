#include "logs/log_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <limits>

#include "common/bytes.h"
#include "common/paths.h"
#include "log_samples.h"
#include "logs/log_reader.h"
#include "support/fakes.h"

namespace rw {
namespace {

using test::BuildOrDie;
using test::ContentsFor;
using test::FakeClock;
using test::FakeUi;
using test::ReadBytes;
using test::TempDir;
namespace fs = std::filesystem;

// A clock that moves one second on at every reading, to tell the name's stamp from WrittenAt.
class SteppingClock : public IClock {
 public:
  LocalDateTime Now() override {
    LocalDateTime t = now;
    ++now.second;
    return t;
  }
  LocalDateTime now{2007, 3, 5, 21, 14, 33, 0};
};

TEST(LogFileName, NamesUserTeamsAndTimeStamp) {
  EXPECT_EQ(LogFileName("Player1", "AAA", "BBB", {2007, 3, 5, 21, 14, 33}),
            "Player1__AAA-BBB__05_03_07__21_14_33.log");
}

// User names and abbreviations come from the registry and the game's memory; none of their
// bytes may turn the name into a path.
TEST(LogFileName, ReplacesBytesThatCannotStandInAFileName) {
  EXPECT_EQ(LogFileName("..\\..\\evil", "A/B", "C:D", {2007, 3, 5, 21, 14, 33}),
            ".._.._evil__A_B-C_D__05_03_07__21_14_33.log");
  EXPECT_EQ(LogFileName("a*b?c\"d<e>f|g\x01h\x1f", "", "", {2007, 3, 5, 0, 0, 0}),
            "a_b_c_d_e_f_g_h___-__05_03_07__00_00_00.log");
}

TEST(LogKey, SumsMinutesAndSecondsOfBothStoredValues) {
  struct Case {
    const char* name;
    double writtenAt, gameEndAt;
    int key;
  };
  const Case cases[] = {
      {"full hours", ToOleDate({2007, 3, 5, 21, 0, 0}), ToOleDate({2007, 3, 5, 20, 0, 0}), 0},
      {"example game", ToOleDate({2007, 3, 5, 21, 14, 34}), ToOleDate({2007, 3, 5, 21, 14, 31}),
       14 + 34 + 14 + 31},
      {"largest", ToOleDate({2007, 3, 5, 23, 59, 59}), ToOleDate({2007, 3, 5, 1, 59, 59}), 236},
      {"milliseconds do not count", ToOleDate({2007, 3, 5, 21, 0, 1, 999}), ToOleDate({2007, 3, 5, 0, 0, 0}),
       1},
      // Before the epoch the day carries the sign; the time of day still counts forward.
      {"before 1899-12-30", ToOleDate({1899, 12, 29, 12, 30, 15}), 0.0, 45},
      {"zero", 0.0, 0.0, 0},
      {"not finite", std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 0},
      {"too large to scale", 1e305, -1e305, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LogKey(c.writtenAt, c.gameEndAt), c.key);
  }
  // Huge but finite values: any key in range, and no overflow on the way (UBSan watches).
  const int huge = LogKey(1e300, -3.5e18);
  EXPECT_GE(huge, 0);
  EXPECT_LE(huge, 236);
}

TEST(BuildLogBytes, EmptyTablesAtFullHoursLayOutThePlainFormat) {
  test::FiveTables tables;
  for (auto& t : tables) t.RowCount(2);  // 1 column, 2 rows, width 64, no text
  LogContents c = ContentsFor("Player1", "Player1__AAA-BBB__05_03_07__21_00_00.log", tables,
                              {2007, 3, 5, 21, 0, 0}, {2007, 3, 5, 20, 0, 0});
  c.HomeAbbr = "AAA";
  c.AwayAbbr = "BBB";
  ASSERT_EQ(c.Streams[0], "1,2\r\ncw 0,64\r\n");
  ASSERT_EQ(c.Streams[0].size(), 14u);
  const Bytes b = BuildOrDie(c);
  ASSERT_EQ(b.size(), 1726u + 5 * 26);

  const ByteReader r(b);
  EXPECT_EQ(*r.U32LeAt(0), 0x04B7u);  // B7 04 00 00
  EXPECT_EQ(*r.F64LeAt(4), c.WrittenAt);
  EXPECT_EQ(*r.F64LeAt(12), c.GameEndAt);
  // With key 0 every word is the plain byte followed by 00.
  auto plain = [&](std::uint64_t blockOffset) {
    EXPECT_EQ(b[20 + 2 * blockOffset + 1], 0) << blockOffset;
    return b[20 + 2 * blockOffset];
  };
  EXPECT_EQ(plain(0), 7);  // "Player1"
  EXPECT_EQ(plain(1), 'P');
  EXPECT_EQ(plain(65), 3);  // "AAA"
  EXPECT_EQ(plain(66), 'A');
  EXPECT_EQ(plain(321), 3);
  EXPECT_EQ(plain(322), 'B');
  EXPECT_EQ(plain(577), c.LogName.size());
  EXPECT_EQ(plain(578), 'P');
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(plain(833 + 4 * k), 28);  // twice the whole stream, final LF included
    EXPECT_EQ(plain(834 + 4 * k), 0);
  }
  // Each table: its stream but the final LF, 13 words = 26 bytes.
  for (int k = 0; k < 5; ++k) {
    const std::uint64_t start = 1726 + 26 * k;
    EXPECT_EQ(b[start], '1');
    EXPECT_EQ(b[start + 24], '\r');
  }
}

TEST(BuildLogBytes, WordsAboveByteRangeCarryTheHighByte) {
  test::FiveTables tables;
  // key = 14 + 34 + 14 + 31 = 93
  LogContents c = ContentsFor("\xF0\xA2\x01", "n.log", tables);
  const Bytes b = BuildOrDie(c);
  ASSERT_EQ(LogKey(c.WrittenAt, c.GameEndAt), 93);
  EXPECT_EQ(b[20], 3 + 93);  // length byte
  EXPECT_EQ(b[21], 0);
  EXPECT_EQ(b[22], 0xF0 + 93 - 256);  // 333 = 4D 01
  EXPECT_EQ(b[23], 1);
  EXPECT_EQ(b[24], 0xA2 + 93);  // 255 exactly stays below 256
  EXPECT_EQ(b[25], 0);
  EXPECT_EQ(b[26], 1 + 93);
  // The padding of a string field is plain zero bytes, encoded like everything else.
  EXPECT_EQ(b[28], 93);
  EXPECT_EQ(b[29], 0);
}

TEST(BuildLogBytes, CutsStringFieldsToTheirWidth) {
  test::FiveTables tables;
  const std::string longUser(70, 'u');
  LogContents c =
      ContentsFor(longUser, std::string(300, 'n'), tables, {2007, 3, 5, 21, 0, 0}, {2007, 3, 5, 21, 0, 0});
  c.HomeAbbr = std::string(256, 'h');
  const Bytes b = BuildOrDie(c);
  EXPECT_EQ(b[20], 64);
  EXPECT_EQ(b[20 + 2 * 64], 'u');
  EXPECT_EQ(b[20 + 2 * 65], 255);  // HomeAbbr's length byte right after User's 65 bytes
  EXPECT_EQ(b[20 + 2 * 577], 255);
  EXPECT_EQ(b.size(), 1726u + 5 * 2 * (c.Streams[0].size() - 1));
}

// The worked example: streams of 100..500 bytes give L = 200..1000 and a file of 4716 bytes.
TEST(BuildLogBytes, StreamLengthsOfTheWorkedExample) {
  LogContents c = ContentsFor("u", "n.log", test::FiveTables{});
  for (std::size_t k = 0; k < 5; ++k) {
    const std::size_t n = 100 * (k + 1);
    c.Streams[k] = "1,2\r\ncw 0,64\r\n0,1," + std::string(n - 20, static_cast<char>('a' + k)) + "\r\n";
    ASSERT_EQ(c.Streams[k].size(), n);
  }
  const Bytes b = BuildOrDie(c);
  EXPECT_EQ(b.size(), 4716u);
  const int key = LogKey(c.WrittenAt, c.GameEndAt);
  for (int k = 0; k < 5; ++k) {
    const std::size_t at = 20 + 2 * (833 + 4 * k);
    const int low = (b[at] - key) & 0xFF, high = (b[at + 2] - key) & 0xFF;
    EXPECT_EQ(low + 256 * high, 200 * (k + 1)) << "L" << k + 1;
  }
  // Each table starts at its boundary: 1726, 1924, 2322, 2920, 3718.
  const std::size_t bounds[] = {1726, 1924, 2322, 2920, 3718};
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ((b[bounds[k]] - key) & 0xFF, '1') << k;
    EXPECT_EQ((b[bounds[k] - 2] - key) & 0xFF, k == 0 ? 0 : '\r') << k;
  }
  const auto streams = DecodeLogTables(b, key, {200, 400, 600, 800, 1000});
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(streams[k], c.Streams[k].substr(0, c.Streams[k].size() - 1));
}

class SaveLogTest : public ::testing::Test {
 protected:
  SaveLogTest() {
    rt.UserName = "Player1";
    rt.HomeTeamAbbr = "AAA";
    rt.AwayTeamAbbr = "BBB";
    rt.LogFormatVersion = kLogFormatVersion;
    rt.LogFolder = dir.str();
    rt.GameEndTime = {2007, 3, 5, 21, 14, 30};
    auto tables = test::SampleTables();
    window.PlayerGrid = tables[0];
    window.PlayerStat = tables[1];
    window.StatGrid = tables[2];
    window.SummaryGrid = tables[3];
    window.RulesGrid = tables[4];
    window.SetPanel(2, " earlier.log");
  }

  static constexpr char kName[] = "Player1__AAA-BBB__05_03_07__21_14_33.log";
  TempDir dir;
  RuntimeValues rt;
  MainWindowState window;
};

TEST_F(SaveLogTest, WritesTheLogAndUpdatesTheWindowInOrder) {
  std::vector<std::string> changes;
  window.Subscribe([&](const WindowChange& ch) {
    if (ch.kind == WindowChange::Kind::Command) changes.push_back("mail");
    if (ch.kind == WindowChange::Kind::Label) changes.push_back("label");
    if (ch.kind == WindowChange::Kind::Panel) changes.push_back("panel");
  });
  SteppingClock clock;
  ASSERT_TRUE(SaveLog(window, rt, clock));
  EXPECT_EQ(changes, (std::vector<std::string>{"mail", "label", "panel"}));
  EXPECT_TRUE(window.Enabled(CommandId::Mail));
  EXPECT_EQ(window.Label(LabelId::Label11), std::string("Log: ") + kName);
  EXPECT_EQ(window.Panel(2), std::string(" ") + kName);

  // The file holds exactly what the pure builder makes of the same inputs, WrittenAt being the
  // clock's second reading.
  LogContents expected =
      ContentsFor("Player1", kName, test::SampleTables(), {2007, 3, 5, 21, 14, 34}, rt.GameEndTime);
  expected.HomeAbbr = "AAA";
  expected.AwayAbbr = "BBB";
  EXPECT_EQ(ReadBytes(dir.path() / kName), BuildOrDie(expected));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(SaveLogTest, StoresTheSanitisedNameUnderWhichTheFileLies) {
  rt.UserName = "..\\up/one";
  FakeClock clock;
  ASSERT_TRUE(SaveLog(window, rt, clock));
  const std::string name = ".._up_one__AAA-BBB__05_03_07__21_14_33.log";
  ASSERT_TRUE(fs::is_regular_file(dir.path() / name));
  TLogHeader h;
  FakeUi ui;
  test::FiveTables back;
  ASSERT_TRUE(EnCoding(LogCaller::LogCheckWindow, JoinSystemPath(rt.LogFolder, name),
                       {&back[0], &back[1], &back[2], &back[3], &back[4]}, h, nullptr, ui));
  EXPECT_EQ(h.LogName, name);
  EXPECT_EQ(h.User, "..\\up/one");
}

TEST_F(SaveLogTest, SameSecondReplacesTheEarlierLog) {
  FakeClock clock;
  ASSERT_TRUE(SaveLog(window, rt, clock));
  window.RulesGrid.SetCell(0, 1, "Hard");
  ASSERT_TRUE(SaveLog(window, rt, clock));
  TLogHeader h;
  FakeUi ui;
  test::FiveTables back;
  ASSERT_TRUE(EnCoding(LogCaller::LogCheckWindow, JoinSystemPath(rt.LogFolder, kName),
                       {&back[0], &back[1], &back[2], &back[3], &back[4]}, h, nullptr, ui));
  EXPECT_EQ(back[4].GetCell(0, 1), "Hard");
}

TEST_F(SaveLogTest, MissingFolderFailsWithThePathLabelChangedAndPanelKept) {
  std::ofstream(dir.path() / "plain-file") << "x";
  rt.LogFolder = (dir.path() / "plain-file" / "logs").string();
  FakeClock clock;
  const Status st = SaveLog(window, rt, clock);
  ASSERT_FALSE(st);
  EXPECT_EQ(st.error().code, ErrorCode::Io);
  EXPECT_NE(st.error().message.find(JoinSystemPath(rt.LogFolder, kName)), std::string::npos)
      << st.error().message;
  EXPECT_TRUE(window.Enabled(CommandId::Mail));
  EXPECT_EQ(window.Label(LabelId::Label11), std::string("Log: ") + kName);
  EXPECT_EQ(window.Panel(2), " earlier.log");
}

// A write that fails half way (here: the file size limit, standing in for a full disk) leaves
// the earlier log of that name whole and no temporary file behind.
TEST_F(SaveLogTest, FailedWriteKeepsTheEarlierFileAndLeavesNoPartialFile) {
  FakeClock clock;
  ASSERT_TRUE(SaveLog(window, rt, clock));
  const Bytes earlier = ReadBytes(dir.path() / kName);
  window.SetPanel(2, " earlier.log");
  window.RulesGrid.SetCell(0, 1, std::string(8000, 'z'));

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status st = SaveLog(window, rt, clock);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  ASSERT_FALSE(st);
  EXPECT_NE(st.error().message.find(kName), std::string::npos) << st.error().message;
  EXPECT_EQ(ReadBytes(dir.path() / kName), earlier);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  EXPECT_EQ(window.Panel(2), " earlier.log");
}

}  // namespace
}  // namespace rw
