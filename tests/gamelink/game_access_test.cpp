#include "gamelink/game_access.h"

#include <gtest/gtest.h>

#include "gamelink/memory_link.h"
#include "shell/main_window.h"

namespace rw {
namespace {

class GameAccessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(link.MapRegion(0x500000, Bytes(64, 0xAB))); }
  MemoryGameLink link;
  MainWindowState window;
  std::string buffer;
};

TEST_F(GameAccessTest, AbsentWindowReadsNothingAndMarksNotRunning) {
  link.windowPresent = false;
  buffer = "left over";
  EXPECT_EQ(ReadNHLMem(link, window, 0x500000, 32, buffer), 0);
  EXPECT_EQ(buffer, std::string(32, '\0'));
  EXPECT_EQ(window.Panel(1), " NHL07 status: Not Running");
}

TEST_F(GameAccessTest, ProcessThatRefusesToOpenCountsAsNotRunning) {
  link.processOpens = false;
  EXPECT_EQ(ReadNHLMem(link, window, 0x500000, 4, buffer), 0);
  EXPECT_EQ(window.Panel(1), " NHL07 status: Not Running");
  EXPECT_EQ(OpenGameProcess(link), nullptr);
}

TEST_F(GameAccessTest, ReadsPresentGameAndKeepsRunningAtUnreadableAddress) {
  EXPECT_EQ(ReadNHLMem(link, window, 0x500000, 32, buffer), 32);
  EXPECT_EQ(buffer, std::string(32, '\xAB'));
  EXPECT_EQ(window.Panel(1), " NHL07 status: Running");

  window.SetPanel(1, " NHL07 status: Not Running");
  EXPECT_EQ(ReadNHLMem(link, window, 0, 32, buffer), 0);
  EXPECT_EQ(buffer, std::string(32, '\0'));
  EXPECT_EQ(window.Panel(1), " NHL07 status: Running");
}

TEST_F(GameAccessTest, ReadAcrossEndOfMappingIsShortAndZeroFilled) {
  EXPECT_EQ(ReadNHLMem(link, window, 0x500000 + 60, 8, buffer), 4);
  EXPECT_EQ(buffer, std::string(4, '\xAB') + std::string(4, '\0'));
  EXPECT_EQ(ReadNHLMem(link, window, 0xFFFFFFFC, 8, buffer), 0);
  EXPECT_EQ(ReadNHLMem(link, window, 0x500000, 0, buffer), 0);
  EXPECT_TRUE(buffer.empty());
}

TEST_F(GameAccessTest, WindowIdentityComparedWithoutCaseButBothMustMatch) {
  const struct {
    const char* cls;
    const char* title;
    bool isGame;
  } cases[] = {
      {"WINCLASS1", "NHL07", true},  {"winclass1", "nhl07", true},   {"WinClass1", "Nhl07", true},
      {"WINCLASS1", "NHL06", false}, {"WINCLASS1", "NHL07 ", false}, {"WINCLASS1", "", false},
      {"WINCLASS2", "NHL07", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + "/" + c.title);
    link.windowClass = c.cls;
    link.windowTitle = c.title;
    EXPECT_EQ(OpenGameProcess(link) != nullptr, c.isGame);
    EXPECT_EQ(ReadNHLMem(link, window, 0x500000, 1, buffer), c.isGame ? 1 : 0);
    EXPECT_EQ(window.Panel(1), c.isGame ? kStatusRunning : kStatusNotRunning);
  }
}

TEST_F(GameAccessTest, GameFolderIsPathUpToLastSeparator) {
  const struct {
    std::optional<std::string> path;
    const char* folder;
  } cases[] = {
      {"C:\\Games\\NHL07\\nhl2007.exe", "C:\\Games\\NHL07\\"},
      {"C:nhl2007.exe", "C:"},
      {"D:\\a:b\\c.exe", "D:\\a:b\\"},
      {"\\\\server\\share\\nhl.exe", "\\\\server\\share\\"},
      {"nhl2007.exe", ""},
      {"", ""},
      {std::nullopt, ""},
      {std::string("C:\\A\\x.exe\0D:\\B\\y.exe", 21), "C:\\A\\"},  // text ends at the first NUL
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.value_or("<none>"));
    link.executablePath = c.path;
    EXPECT_EQ(GetNHLPath(link), c.folder);
  }
  link.executablePath = "C:\\Games\\nhl.exe";
  link.windowPresent = false;
  EXPECT_EQ(GetNHLPath(link), "");
}

}  // namespace
}  // namespace rw
