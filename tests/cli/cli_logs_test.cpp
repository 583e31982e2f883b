// The log commands of the CLI, run in-process against exact text and exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/app.h"
#include "cli/commands.h"
#include "logs/log_writer.h"
#include "support/fakes.h"

namespace rw::cli {
namespace {

namespace fs = std::filesystem;

struct Result {
  int code;
  std::string out, err;
};

Result RunCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = Run(args, out, err);
  return {code, out.str(), err.str()};
}

// Writes a log of one game as `user` saw it into `folder`; returns its path.
std::string WriteLog(const fs::path& folder, const std::string& user, const std::string& goals,
                     LocalDateTime at = {2007, 3, 5, 21, 14, 33, 0}) {
  MainWindowState window;
  window.StatGrid.ColCount(3);
  window.StatGrid.RowCount(3);
  window.StatGrid.SetCell(1, 0, "Team");
  window.StatGrid.SetCell(2, 0, "Goal");
  window.StatGrid.SetCell(1, 1, "BOS");
  window.StatGrid.SetCell(2, 1, goals);
  window.StatGrid.SetCell(1, 2, "TOR");
  window.StatGrid.SetCell(2, 2, "2");
  window.PlayerGrid.ColCount(4);
  RuntimeValues rt;
  rt.LogFormatVersion = kLogFormatVersion;
  rt.UserName = user;
  rt.HomeTeamAbbr = "BOS";
  rt.AwayTeamAbbr = "TOR";
  rt.LogFolder = folder.string();
  rt.GameEndTime = at;
  test::FakeClock clock(at);
  EXPECT_TRUE(SaveLog(window, rt, clock));
  return (folder / LogFileName(user, "BOS", "TOR", at)).string();
}

TEST(CliCheck, VerdictsAndExitCodes) {
  test::TempDir dir;
  const auto own = WriteLog(dir.path(), "Player1", "3");
  const auto same = WriteLog(dir.path(), "Player2", "3");
  auto r = RunCli({"check", own, same});
  EXPECT_EQ(r.code, kExitOk);
  ASSERT_FALSE(r.out.empty());
  EXPECT_EQ(r.out.substr(r.out.rfind("Cheats:")), "Cheats: 0\nNO CHEATS!\n");
  EXPECT_NE(r.out.find("Goal: \xD0\x9E\xD0\x9A\n"), std::string::npos);  // ": ОК" in UTF-8

  test::TempDir other;
  const auto changed = WriteLog(other.path(), "Player2", "4");
  r = RunCli({"check", own, changed});
  EXPECT_EQ(r.code, kExitCheckCheats);
  EXPECT_NE(r.out.find("CHEAT!!! in Goal\n"), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - 17), "ALARM CHEATS!!!!\n");

  r = RunCli({"check", own, changed, "--raw"});
  EXPECT_NE(r.out.find("Team: \xCE\xCA\n"), std::string::npos);

  r = RunCli({"check", own, own});
  EXPECT_EQ(r.code, kExitCheckRefused);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Warning! Select random files of log.\n");

  r = RunCli({"check", own, (dir.path() / "missing.log").string()});
  EXPECT_EQ(r.code, kExitCheckRefused);
  EXPECT_NE(r.err.find("not exist."), std::string::npos);

  r = RunCli({"check", own});
  EXPECT_EQ(r.code, kExitUsage);
}

TEST(CliCheck, JsonResult) {
  test::TempDir dir, other;
  const auto own = WriteLog(dir.path(), "Player1", "3");
  const auto opp = WriteLog(other.path(), "Player2", "4");
  auto r = RunCli({"check", own, opp, "--json"});
  EXPECT_EQ(r.code, kExitCheckCheats);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["outcome"], "report");
  EXPECT_EQ(j["cheats"], 1);
  EXPECT_EQ(j["verdict"], "ALARM CHEATS!!!!");
  EXPECT_EQ(j["own"]["user"], "Player1");
  EXPECT_EQ(j["opponent"]["home"], "BOS");
}

TEST(CliCheck, PairsInAFolder) {
  test::TempDir dir;
  WriteLog(dir.path(), "Player1", "3", {2007, 3, 5, 21, 14, 33, 0});
  WriteLog(dir.path(), "Player2", "3", {2007, 3, 5, 21, 14, 35, 0});
  WriteLog(dir.path(), "Player3", "1", {2007, 3, 6, 20, 0, 0, 0});
  WriteLog(dir.path(), "Player4", "2", {2007, 3, 6, 20, 0, 1, 0});
  WriteLog(dir.path(), "Player5", "2", {2007, 3, 9, 20, 0, 1, 0});  // nobody else that day
  auto r = RunCli({"check", "--pairs", dir.str()});
  EXPECT_EQ(r.code, kExitCheckCheats);
  std::istringstream lines(r.out);
  std::string line;
  std::vector<std::string> all;
  while (std::getline(lines, line)) all.push_back(line);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].substr(0, 11), "NO CHEATS!\t");
  EXPECT_EQ(all[1].substr(0, 17), "ALARM CHEATS!!!!\t");
  EXPECT_EQ(all[2],
            "Total: 2 pairs, 1 without cheats, 0 with warnings or errors, 1 with cheats, 0 refused; 1 logs "
            "without a pair");
}

TEST(CliShow, FormatsAndErrors) {
  test::TempDir dir;
  const auto log = WriteLog(dir.path(), "Player1", "3");
  auto r = RunCli({"show", log});
  EXPECT_EQ(r.code, kExitOk);
  EXPECT_EQ(r.out.substr(0, r.out.find("Log name:")), "Version:   1207\nUser:      Player1\n");
  EXPECT_NE(r.out.find("== StatGrid ==\n  Team  Goal\n  BOS   3\n  TOR   2\n"), std::string::npos);

  r = RunCli({"show", log, "--format", "stream"});
  EXPECT_EQ(r.code, kExitOk);
  EXPECT_NE(r.out.find("3,3\r\ncw 0,64\r\ncw 1,64\r\ncw 2,64\r\n1,0,Team\r\n2,0,Goal\r\n"),
            std::string::npos);

  r = RunCli({"show", log, "--format", "json"});
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["tables"][2]["name"], "StatGrid");
  EXPECT_EQ(j["tables"][2]["cells"][1][2], "3");

  r = RunCli({"show", (dir.path() / "nothing.log").string()});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("cannot read the log"), std::string::npos);
  r = RunCli({"show", log, "--format", "yaml"});
  EXPECT_EQ(r.code, kExitUsage);
}

TEST(CliExport, WritesTheThreeStatisticsFiles) {
  test::TempDir dir, out;
  const auto log = WriteLog(dir.path(), "Player1", "3");
  auto r = RunCli({"export", log, "--format", "csv", "--out", out.str()});
  EXPECT_EQ(r.code, kExitOk);
  EXPECT_TRUE(fs::exists(out.path() / "Player1__BOS-TOR_teamstat__05_03_07__21_14_33.csv"));
  EXPECT_TRUE(fs::exists(out.path() / "Player1__BOS-TOR_playerstat__05_03_07__21_14_33.csv"));
  EXPECT_TRUE(fs::exists(out.path() / "Player1__BOS-TOR_gamestat__05_03_07__21_14_33.csv"));
  std::ifstream in(out.path() / "Player1__BOS-TOR_teamstat__05_03_07__21_14_33.csv", std::ios::binary);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "\"\",Team,Goal\r");
}

}  // namespace
}  // namespace rw::cli
