// The simulated main job end to end: two monitors watch one simulated game, and the CLI's watch
// command follows a simulated game and a memory image.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/harness.h"
#include "gamelink/memory_image.h"
#include "support/fakes.h"

namespace rw::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code;
  std::string out, err;
};

Outcome RunCli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = Run(args, out, err);
  return {code, out.str(), err.str()};
}

// Keeps watch's settings store and data folder inside the test's folder.
struct IsolatedHome {
  explicit IsolatedHome(const test::TempDir& dir) {
    setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
  }
  ~IsolatedHome() {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
  }
};

std::size_t CountFiles(const fs::path& folder, const std::string& ext) {
  std::size_t n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.path().extension() == ext;
  return n;
}

TEST(CliSimulate, TwoMonitorsWriteLogsThatCheckClean) {
  test::TempDir dir;
  auto r = RunCli({"simulate", "--out", dir.str()});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out.substr(r.out.size() - 11), "NO CHEATS!\n");
  EXPECT_NE(r.out.find("Roster check record count : OK"), std::string::npos);
  EXPECT_EQ(CountFiles(dir.path() / "Player1" / "Logs", ".log"), 1u);
  EXPECT_EQ(CountFiles(dir.path() / "Player1" / "Logs", ".xls"), 3u);
  EXPECT_EQ(CountFiles(dir.path() / "Player2" / "Logs", ".html"), 3u);
  // The working copies of the roster read are gone.
  EXPECT_TRUE(fs::is_empty(dir.path() / "Player1" / "Temp"));
}

TEST(CliSimulate, TamperedCellIsCaught) {
  test::TempDir dir;
  auto r = RunCli({"simulate", "--out", dir.str(), "--tamper", "PlayerStat:4:1=9"});
  ASSERT_EQ(r.code, kExitCheckCheats) << r.err;
  EXPECT_NE(r.out.find("Tampered PlayerStat column 4 row 1"), std::string::npos);
  EXPECT_NE(r.out.find("CHEAT!!! in Goal\n"), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - 17), "ALARM CHEATS!!!!\n");

  r = RunCli({"simulate", "--out", dir.str(), "--tamper", "Nowhere:1:1=x"});
  EXPECT_EQ(r.code, kExitUsage);
}

TEST(CliWatch, SimulatedGameToItsEnd) {
  test::TempDir dir;
  IsolatedHome home(dir);
  auto r = RunCli({"watch", "--simulate", "--tick-ms", "0", "--user", "Watcher", "--log-folder",
                   (dir.path() / "logs").string(), "--games", "1"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "NHL07 status: Running");
  EXPECT_NE(r.out.find("Now in Game Period #: 3\n"), std::string::npos);
  EXPECT_NE(r.out.find("Game end 1\n  Log: Watcher__"), std::string::npos);
  EXPECT_EQ(CountFiles(dir.path() / "logs", ".log"), 1u);
}

TEST(CliWatch, MemoryImageWithEnd) {
  test::TempDir dir;
  IsolatedHome home(dir);
  auto game = SetUpSimulatedGame("", (dir.path() / "sim").string(), 7);
  ASSERT_TRUE(game) << game.error().Describe();
  for (int i = 0; i < 20; ++i) game->simulator->Step();
  const std::string image = (dir.path() / "game.rwimg").string();
  ASSERT_TRUE(SaveMemoryImageFile(image, game->simulator->Capture()));

  auto r = RunCli({"watch", "--image", image, "--end", "--tick-ms", "0", "--user", "Img", "--log-folder",
                   (dir.path() / "logs").string()});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("Game end 1\n"), std::string::npos);
  EXPECT_EQ(CountFiles(dir.path() / "logs", ".log"), 1u);

  r = RunCli({"watch", "--image", (dir.path() / "missing").string()});
  EXPECT_EQ(r.code, kExitUsage);
  r = RunCli({"watch"});
  EXPECT_EQ(r.code, kExitUsage);
}

}  // namespace
}  // namespace rw::cli
