#include "monitor/monitor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gamelink/game_access.h"
#include "gamelink/memory_link.h"
#include "support/fakes.h"

namespace rw {
namespace {

constexpr std::uint32_t kTeamBlock = 0x00800000;
constexpr std::uint32_t kPeriod = 0x00810000;
constexpr std::uint32_t kInGame = 0x00810010;

// A game in memory: two team records, the period byte and the in-game byte, and a monitor
// whose game-end operations are recorded.
struct Rig {
  MemoryGameLink link;
  MemoryRegistry registry;
  test::FakeUi ui;
  test::FakeClock clock;
  test::FakeShell shell;
  test::FakeLocale locale;
  test::TempDir dir;
  std::vector<std::string> calls;
  Monitor monitor;

  Rig(bool gameRunning = true)
      : monitor(MonitorEnv{link, registry, ui, clock, shell, locale, dir.str() + "/"}, RecordingOps()) {
    link.windowPresent = gameRunning;
    Bytes teams(2 * kTeamRecordStride, 0);
    std::memcpy(teams.data(), "Boston Bruins", 13);
    std::memcpy(teams.data() + 32, "BOS", 3);
    std::memcpy(teams.data() + kTeamRecordStride, "Toronto Maple Leafs", 19);
    std::memcpy(teams.data() + kTeamRecordStride + 32, "TOR", 3);
    EXPECT_TRUE(link.MapRegion(kTeamBlock, std::move(teams)));
    EXPECT_TRUE(link.MapRegion(kPeriod, Bytes(32, 0)));
  }

  MonitorOps RecordingOps() {
    MonitorOps ops;
    ops.findaddresses = [this](Monitor& m) {
      calls.push_back(ui.pleaseWaitVisible ? "findaddresses(wait)" : "findaddresses");
      m.addresses.TeamBlockAddress = kTeamBlock;
      m.addresses.PeriodAddress = kPeriod;
      m.addresses.InGameFlagAddress = kInGame;
    };
    ops.CheckRoster = [this](Monitor& m) {
      calls.push_back(m.window.PlayerGridVisible() ? "CheckRoster(visible)" : "CheckRoster");
      m.window.Enable(CommandId::ManualSave, true);  // as a complete roster read does
    };
    ops.SaveLog = [this](Monitor&) {
      calls.push_back("SaveLog");
      return saveLogFails ? Status(MakeError(ErrorCode::Io, "Cannot create file")) : Status::Ok();
    };
    ops.SaveStat = [this](Monitor&) {
      calls.push_back("SaveStat");
      return saveStatFails ? Status(MakeError(ErrorCode::Io, "Cannot Create file x")) : Status::Ok();
    };
    return ops;
  }

  void SetInGame(std::uint8_t v) { link.Write(kInGame, ByteSpan(&v, 1)); }
  void SetPeriod(std::uint8_t v) { link.Write(kPeriod, ByteSpan(&v, 1)); }
  int Count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
  bool saveLogFails = false;
  bool saveStatFails = false;
};

TEST(Monitor, GameAbsentAtStartUp) {
  Rig rig(false);
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  const auto& w = rig.monitor.window;
  EXPECT_EQ(w.Panel(1), " NHL07 status: Not Running");
  EXPECT_EQ(w.Label(LabelId::Label1), "Now in Game Period #: ");
  EXPECT_EQ(w.Label(LabelId::Label2), "Home Team: ");
  EXPECT_EQ(w.Label(LabelId::Label3), "Away Team: ");
  EXPECT_FALSE(w.Enabled(CommandId::Update));
  EXPECT_EQ(rig.ui.pleaseWaitShown, 0);
  EXPECT_TRUE(rig.calls.empty());
  EXPECT_EQ(rig.monitor.rt.LogFormatVersion, 1207);
}

TEST(Monitor, GameRunningAtStartUpIsSearchedOnceBehindThePleaseWaitWindow) {
  Rig rig;
  rig.monitor.FormCreate();
  EXPECT_TRUE(rig.calls.empty());  // only marked as running
  EXPECT_EQ(rig.monitor.window.Panel(1), " NHL07 status: Running");
  rig.monitor.FormShow();
  EXPECT_EQ(rig.calls, std::vector<std::string>{"findaddresses(wait)"});
  EXPECT_FALSE(rig.ui.pleaseWaitVisible);
  EXPECT_EQ(rig.monitor.window.Label(LabelId::Label2), "Home Team: Boston Bruins");
  rig.monitor.Tick();
  EXPECT_EQ(rig.Count("findaddresses(wait)") + rig.Count("findaddresses"), 1);
}

TEST(Monitor, GameStartedWhileRunning) {
  Rig rig(false);
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.link.windowPresent = true;
  int periodReads = 0;
  rig.monitor.window.Subscribe([&](const WindowChange& c) {
    if (c.kind == WindowChange::Kind::Label && c.which == static_cast<int>(LabelId::Label1)) ++periodReads;
  });
  rig.SetPeriod(1);
  rig.monitor.Tick();
  EXPECT_EQ(rig.calls, std::vector<std::string>{"findaddresses"});
  EXPECT_EQ(rig.ui.pleaseWaitShown, 0);
  EXPECT_TRUE(rig.monitor.window.Enabled(CommandId::Update));
  EXPECT_EQ(rig.monitor.window.Panel(1), " NHL07 status: Running");
  EXPECT_EQ(rig.monitor.window.Label(LabelId::Label1), "Now in Game Period #: 2");
  EXPECT_GE(periodReads, 1);
}

TEST(Monitor, InGameByteSequences) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    int ends;
  };
  const Case cases[] = {
      {"1,1,0,0", {1, 1, 0, 0}, 1},
      {"0,0", {0, 0}, 0},
      {"1,2,0", {1, 2, 0}, 1},
      {"1,0,1,0", {1, 0, 1, 0}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.monitor.FormCreate();
    rig.monitor.FormShow();
    for (auto b : c.bytes) {
      rig.SetInGame(b);
      rig.monitor.Tick();
    }
    EXPECT_EQ(rig.monitor.GameEndsHandled(), c.ends);
    EXPECT_EQ(rig.Count("SaveLog"), c.ends);
    EXPECT_EQ(rig.Count("SaveStat"), c.ends);
  }
}

TEST(Monitor, GameEndSequenceRunsInOrderWithTheRosterHidden) {
  Rig rig;
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.calls.clear();
  rig.SetInGame(1);
  rig.monitor.Tick();
  rig.SetInGame(0);
  rig.clock.now = {2007, 3, 5, 21, 14, 33, 250};
  rig.monitor.Tick();
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"CheckRoster", "SaveLog", "SaveStat"}));
  EXPECT_TRUE(rig.monitor.window.PlayerGridVisible());
  EXPECT_EQ(rig.monitor.rt.GameEndTime, rig.clock.now);
}

TEST(Monitor, FailedLogSkipsTheExportAndTheNextTickProceeds) {
  Rig rig;
  rig.saveLogFails = true;
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.SetInGame(1);
  rig.monitor.Tick();
  rig.SetInGame(0);
  rig.monitor.Tick();
  EXPECT_EQ(rig.Count("SaveLog"), 1);
  EXPECT_EQ(rig.Count("SaveStat"), 0);
  ASSERT_EQ(rig.ui.messages.size(), 1u);
  EXPECT_EQ(rig.ui.messages[0].text, "Cannot create file");
  rig.monitor.Tick();
  EXPECT_EQ(rig.Count("SaveLog"), 1);  // not written again
}

TEST(Monitor, WindowGoneWhileLatchedWritesNoLogAndRediscoversAfterRestart) {
  Rig rig;
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.SetInGame(1);
  rig.monitor.Tick();
  rig.link.windowPresent = false;
  rig.monitor.Tick();
  EXPECT_FALSE(rig.monitor.rt.GameActiveLatch);
  rig.link.windowPresent = true;
  rig.SetInGame(0);
  rig.monitor.Tick();
  EXPECT_EQ(rig.Count("SaveLog"), 0);
  EXPECT_EQ(rig.Count("findaddresses"), 1);
}

TEST(Monitor, ProcessThatCannotBeOpenedIsSearchedAgain) {
  Rig rig;
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.link.processOpens = false;
  rig.monitor.Tick();  // reads fail and put panel 1 back to Not Running
  EXPECT_EQ(rig.monitor.window.Panel(1), " NHL07 status: Not Running");
  EXPECT_EQ(rig.Count("findaddresses"), 0);
  rig.monitor.Tick();
  EXPECT_EQ(rig.Count("findaddresses"), 1);
}

TEST(Monitor, PeriodBytesAndTeamTexts) {
  Rig rig;
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.SetPeriod(255);
  // A name filling all 32 bytes, an abbreviation cut at its second byte.
  const std::string full(32, 'N');
  rig.link.Write(kTeamBlock, AsBytes(full));
  rig.link.Write(kTeamBlock + kTeamRecordStride + 32, AsBytes(std::string("T\0R", 3)));
  rig.monitor.Tick();
  EXPECT_EQ(rig.monitor.window.Label(LabelId::Label1), "Now in Game Period #: 256");
  EXPECT_EQ(rig.monitor.rt.HomeTeamName, full);
  EXPECT_EQ(rig.monitor.rt.AwayTeamAbbr, "T");
  rig.SetPeriod(0);
  rig.monitor.Tick();
  EXPECT_EQ(rig.monitor.window.Label(LabelId::Label1), "Now in Game Period #: 1");
}

TEST(Monitor, UnreadablePeriodLeavesLabelsAlone) {
  Rig rig;
  rig.monitor.FormCreate();
  rig.monitor.FormShow();
  rig.monitor.addresses.PeriodAddress = 0x10;  // unmapped
  rig.monitor.window.SetLabel(LabelId::Label2, "kept");
  rig.monitor.CheckPeriod();
  EXPECT_EQ(rig.monitor.window.Label(LabelId::Label2), "kept");
}

TEST(Monitor, TickDuringAModalMessageIsDropped) {
  Rig rig;
  rig.monitor.FormCreate();
  bool inner = true;
  rig.monitor.RunCommand([&] { inner = rig.monitor.Tick(); });
  EXPECT_FALSE(inner);
  EXPECT_TRUE(rig.monitor.Tick());
}

TEST(Monitor, StartUpValues) {
  Rig rig;
  rig.registry.OpenKey(RootKey::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
                       true);
  rig.registry.SetValue(RootKey::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
                        "DefaultUserName", RegValue::String("Player1"));
  rig.monitor.FormCreate();
  EXPECT_EQ(rig.monitor.rt.UserName, "Player1");
  EXPECT_EQ(rig.monitor.rt.TempFolder, rig.dir.str() + "/Temp\\");
  EXPECT_EQ(rig.monitor.rt.LogFolder, rig.dir.str() + "/Logs");
  EXPECT_TRUE(std::filesystem::is_directory(rig.dir.path() / "Temp"));
  EXPECT_TRUE(std::filesystem::is_directory(rig.dir.path() / "Logs"));
  EXPECT_TRUE(rig.monitor.window.Enabled(CommandId::Update));  // the game is running
}

TEST(Monitor, MissingUserNameKeyIsNotCreated) {
  Rig rig;
  rig.monitor.FormCreate();
  EXPECT_EQ(rig.monitor.rt.UserName, "");
  EXPECT_FALSE(rig.registry.HasKey(RootKey::LocalMachine,
                                   "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"));
}

TEST(MonitorCommands, ManualSaveNeedsARosterAndReportsSuccessOnlyAfterIt) {
  Rig rig;
  Monitor& m = rig.monitor;
  test::FakeUi& ui = rig.ui;
  bool& saveFails = rig.saveStatFails;
  m.FormCreate();
  EXPECT_FALSE(m.window.Enabled(CommandId::ManualSave));
  EXPECT_FALSE(m.window.Enabled(CommandId::Mail));
  m.UpdateStatAndLog();
  EXPECT_TRUE(m.window.Enabled(CommandId::ManualSave));

  saveFails = true;
  m.ManualStatSave();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Cannot Create file x");
  saveFails = false;
  m.ManualStatSave();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Stat was succesfully saved!");
  EXPECT_EQ(ui.messages[1].icon, MessageIcon::None);

  m.WindowClosing({true, 1, 2, 800, 600});
  EXPECT_EQ(m.WindowShown({false, 0, 0, 793, 625}), (WindowPlacement{true, 1, 2, 800, 600}));
}

}  // namespace
}  // namespace rw
