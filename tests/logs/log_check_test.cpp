#include "logs/log_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/paths.h"
#include "log_samples.h"
#include "support/fakes.h"

namespace rw {
namespace {

using test::BuildOrDie;
using test::ContentsFor;
using test::FakeLocale;
using test::FakeUi;
using test::FiveTables;
using test::TempDir;

const std::string S(70, '*');
constexpr char kOwnName[] = "Player1__WSH-PIT__05_03_07__21_14_33.log";
constexpr char kOppName[] = "Player2__WSH-PIT__05_03_07__21_14_40.log";

class LogCheckTest : public ::testing::Test {
 protected:
  // Writes a log under `fileName` that says it was written as `storedName`.
  std::string Write(const LogContents& c, const std::string& fileName) {
    test::WriteBytes(dir.path() / fileName, BuildOrDie(c));
    return JoinSystemPath(dir.str(), fileName);
  }
  std::string Own(const FiveTables& t = test::SampleTables()) {
    return Write(ContentsFor("Player1", kOwnName, t), kOwnName);
  }
  std::string Opp(const FiveTables& t = test::SampleTables()) {
    return Write(ContentsFor("Player2", kOppName, t, {2007, 3, 5, 21, 14, 41}, {2007, 3, 5, 0, 0, 0}),
                 kOppName);
  }
  LogCheckResult Check(const std::string& own, const std::string& opp) {
    return CheckLogs(state, own, opp, ui, locale);
  }
  static long CountStarting(const LogCheckResult& r, const std::string& prefix) {
    return std::count_if(r.lines.begin(), r.lines.end(),
                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }

  TempDir dir;
  FakeUi ui;
  FakeLocale locale;
  LogCheckState state;
};

TEST_F(LogCheckTest, CopyOfOwnLogUnderAnotherNameGivesTwoWarnings) {
  const std::string own = Own();
  const std::string copy = Write(ContentsFor("Player1", kOwnName, test::SampleTables()), "from-opponent.log");
  const LogCheckResult r = Check(own, copy);
  ASSERT_EQ(r.outcome, LogCheckOutcome::Report);
  const std::string ok = ": \xCE\xCA";
  const std::vector<std::string> expected = {
      S,
      "Log from user: Player1",
      std::string("Log origname: ") + kOwnName,
      "Name check: OK",
      "Log was created: 05.03.2007 21:14:34",
      "Log was saved: 05.03.2007 21:14:31",
      S,
      "Log from user: Player1",
      std::string("Log origname: ") + kOwnName,
      "Log name check: Warning!!! filename was changed!!!",
      "Log was created: 05.03.2007 21:14:34",
      "Log was saved: 05.03.2007 21:14:31",
      S,
      "Warning!!! Usernames in Your and Opponent Logs are equals.",
      "Maybe Opponent send to you Your Log.",
      S,
      "Check Record Count...",
      "Roster check record count : OK",
      "Players check record count : OK",
      "Teams check record count : OK",
      "Summary check record count : OK",
      S,
      "Checking Logs...",
      "Checking Roster...",
      "Name" + ok,
      "Pos" + ok,
      "Team" + ok,
      "ID" + ok,
      "Checking Players...",
      "Player" + ok,
      "G" + ok,
      "A" + ok,
      "Checking Teams...",
      "Team" + ok,
      "Shots" + ok,
      "Checking Summary...",
      "Period" + ok,
      "Event" + ok,
      "Checking Rules...",
      "Skill Level" + ok,
      "Injury" + ok,
      S,
      "Total check info:",
      "Warnings: 2",
      "Errors: 0",
      "Cheats: 0",
  };
  EXPECT_EQ(r.lines, expected);
  EXPECT_EQ(r.warnings, 2);
  EXPECT_EQ(r.errors, 0);
  EXPECT_EQ(r.cheats, 0);
  EXPECT_EQ(r.verdict, LogCheckVerdict::None);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.beeps, 0);
}

TEST_F(LogCheckTest, TwoUsersWithEqualTablesHaveNoCheats) {
  const LogCheckResult r = Check(Own(), Opp());
  ASSERT_EQ(r.outcome, LogCheckOutcome::Report);
  EXPECT_EQ(r.warnings + r.errors + r.cheats, 0);
  EXPECT_EQ(r.verdict, LogCheckVerdict::NoCheats);
  EXPECT_EQ(r.lines.back(), "NO CHEATS!");
  EXPECT_EQ(CountStarting(r, "Name check: OK"), 2);
  // A value at exactly midnight shows the date only.
  EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), "Log was saved: 05.03.2007"), r.lines.end());
  // The logs went into the check's own ten tables.
  EXPECT_EQ(state.UserGrid1.GetCell(0, 1), "Ovechkin");
  EXPECT_EQ(state.OppGrid5.GetCell(0, 1), "Medium");
}

TEST_F(LogCheckTest, OneChangedPlayerStatisticIsOneCheatNamedByTheOwnTitle) {
  FiveTables changed = test::SampleTables();
  changed[1].SetCell(1, 2, "3");      // Crosby scored three
  changed[1].SetCell(1, 0, "Goals");  // titles are not compared; the own log names the column
  const LogCheckResult r = Check(Own(), Opp(changed));
  EXPECT_EQ(CountStarting(r, "CHEAT!!! in "), 1);
  EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), "CHEAT!!! in G"), r.lines.end());
  EXPECT_EQ(r.cheats, 1);
  EXPECT_EQ(r.lines.back(), "ALARM CHEATS!!!!");
  EXPECT_EQ(r.verdict, LogCheckVerdict::AlarmCheats);
}

TEST_F(LogCheckTest, ExtraRosterRowIsAnErrorButNotCompared) {
  FiveTables more = test::SampleTables();
  more[0].RowCount(4);
  more[0].SetCell(0, 3, "Malkin");
  const LogCheckResult r = Check(Own(), Opp(more));
  EXPECT_EQ(CountStarting(r, "Error in Roster record count."), 1);
  EXPECT_EQ(CountStarting(r, "Roster check record count : OK"), 0);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(r.cheats, 0);
  EXPECT_EQ(r.lines.back(), "Cheats: 0");  // errors without cheats: no verdict line
}

TEST_F(LogCheckTest, ColumnsOnlyOneLogHasAreNotReported) {
  FiveTables wider = test::SampleTables();
  wider[4].ColCount(3);
  wider[4].SetCell(2, 0, "Extra");
  wider[4].SetCell(2, 1, "yes");
  const LogCheckResult r = Check(Own(), Opp(wider));
  EXPECT_EQ(CountStarting(r, "Extra"), 0);
  EXPECT_EQ(r.verdict, LogCheckVerdict::NoCheats);
}

TEST_F(LogCheckTest, FileNameDifferingInLetterCaseOnlyPassesTheNameCheck) {
  const std::string own = Write(ContentsFor("Player1", kOwnName, test::SampleTables()),
                                "PLAYER1__wsh-pit__05_03_07__21_14_33.LOG");
  const LogCheckResult r = Check(own, Opp());
  EXPECT_EQ(CountStarting(r, "Name check: OK"), 2);
  EXPECT_EQ(r.warnings, 0);
}

TEST_F(LogCheckTest, RefusalsShowTheirMessageAndNoReport) {
  const std::string own = Own();
  const std::string opp = Opp();
  const std::string missing = JoinSystemPath(dir.str(), "missing.log");
  LogContents otherTeams = ContentsFor("Player2", kOppName, test::SampleTables());
  otherTeams.AwayAbbr = "pit";
  const std::string other = Write(otherTeams, "other.log");
  struct Case {
    const char* name;
    std::string own, opp;
    LogCheckOutcome outcome;
    std::string message;
  };
  const Case cases[] = {
      {"first missing", missing, opp, LogCheckOutcome::MissingFile, "File " + missing + " not exist."},
      {"second missing", own, missing, LogCheckOutcome::MissingFile, "File " + missing + " not exist."},
      {"same path", own, own, LogCheckOutcome::SamePath, "Select random files of log."},
      {"different teams", own, other, LogCheckOutcome::TeamsDiffer,
       "You can not check this logs, because teams name not equals."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui = FakeUi();
    const LogCheckResult r = Check(c.own, c.opp);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_TRUE(r.lines.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, c.message);
    EXPECT_EQ(ui.messages[0].caption, "Warning!");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
  }
}

TEST_F(LogCheckTest, SameFileThroughTwoSpellingsIsChecked) {
  const std::string own = Own();
  const LogCheckResult r = Check(own, dir.str() + "/./" + kOwnName);
  EXPECT_EQ(r.outcome, LogCheckOutcome::Report);
  EXPECT_EQ(r.warnings, 1);  // equal user names; both names match
}

TEST_F(LogCheckTest, StopsSilentlyWhenTheReaderDidNotDecodeAHeader) {
  LogContents old = ContentsFor("Player2", kOppName, test::SampleTables());
  old.Version = 1206;
  const std::string wrongVersion = Write(old, "old.log");
  test::WriteBytes(dir.path() / "short.log", Bytes{0xB7, 0x04, 0, 0, 1, 2, 3, 4, 5, 6});
  const std::string shortLog = JoinSystemPath(dir.str(), "short.log");

  LogCheckResult r = Check(Own(), wrongVersion);
  EXPECT_EQ(r.outcome, LogCheckOutcome::ReaderStopped);
  EXPECT_TRUE(r.lines.empty());
  ASSERT_EQ(ui.messages.size(), 1u);  // the reader's own warning, nothing more
  EXPECT_EQ(ui.messages[0].text, "Wrong or old version of rinkwarden log.");

  ui = FakeUi();
  r = Check(shortLog, Opp());
  EXPECT_EQ(r.outcome, LogCheckOutcome::ReaderStopped);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(LogCheckTest, TablesThatFailedToLoadAreComparedAsFarAsTheyGot) {
  LogContents broken = ContentsFor("Player2", kOppName, test::SampleTables());
  broken.Streams[3] = "2,2\r\ncw 0,x\r\n";
  const LogCheckResult r = Check(Own(), Write(broken, kOppName));
  EXPECT_EQ(r.outcome, LogCheckOutcome::Report);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(r.errors, 0);  // the broken summary still has its 2 rows, the rules table no count check
  // The opponent's summary holds no text and its rules table is empty: each differing column
  // the two have in common is a cheat.
  EXPECT_EQ(CountStarting(r, "CHEAT!!! in "), 3);
  EXPECT_EQ(CountStarting(r, "CHEAT!!! in Period"), 1);
  EXPECT_EQ(CountStarting(r, "CHEAT!!! in Event"), 1);
  EXPECT_EQ(CountStarting(r, "CHEAT!!! in Skill Level"), 1);
  EXPECT_EQ(CountStarting(r, "Injury"), 0);
}

}  // namespace
}  // namespace rw
