#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <thread>

#include "cli/app.h"
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/harness.h"
#include "cli/text.h"
#include "common/files.h"
#include "gamelink/memory_image.h"
#include "gamelink/memory_link.h"
#include "monitor/monitor.h"
#include "platform/system.h"
#include "platform/user.h"
#include "shell/portable_registry.h"

namespace rw::cli {
namespace {

// The folder that stands for the program's own folder (Temp\ and the default Logs): the user's
// data folder, since an installed binary's folder is not writable.
std::string DefaultProgramFolder() {
  namespace fs = std::filesystem;
  fs::path base;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) {
    base = x;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = fs::path(home) / ".local" / "share";
  } else {
    base = fs::temp_directory_path();
  }
  std::error_code ec;
  fs::create_directories(base / "rinkwarden", ec);
  return (base / "rinkwarden").string() + "/";
}

// Prints what a person watching the main window would notice.
void ReportChanges(Monitor& m, std::ostream& out) {
  m.window.Subscribe([&m, &out](const WindowChange& c) {
    if (c.kind == WindowChange::Kind::Panel && c.which == 1) {
      out << Cp1251ToUtf8(m.window.Panel(1).substr(1)) << "\n";
    } else if (c.kind == WindowChange::Kind::Label && (c.which == static_cast<int>(LabelId::Label1) ||
                                                       c.which == static_cast<int>(LabelId::Label2) ||
                                                       c.which == static_cast<int>(LabelId::Label3))) {
      out << Cp1251ToUtf8(m.window.Label(static_cast<LabelId>(c.which))) << "\n";
    }
  });
}

void ReportGameEnd(Monitor& m, std::ostream& out) {
  out << "Game end " << m.GameEndsHandled() << "\n"
      << "  " << Cp1251ToUtf8(m.window.Label(LabelId::Label11)) << "\n"
      << "  " << Cp1251ToUtf8(m.window.Label(LabelId::Label4)) << "\n"
      << "  " << Cp1251ToUtf8(m.window.Label(LabelId::Label7)) << "\n"
      << "  " << Cp1251ToUtf8(m.window.Label(LabelId::Label8)) << "\n";
}

}  // namespace

int RunWatch(const WatchOptions& o, std::ostream& out, std::ostream& err) {
  const std::string programFolder = o.programFolder.empty() ? DefaultProgramFolder()
                                    : (o.programFolder.back() == '/' || o.programFolder.back() == '\\')
                                        ? o.programFolder
                                        : o.programFolder + "/";
  // The game source.
  std::unique_ptr<sim::GameSimulator> simulator;
  MemoryGameLink imageLink;
  IGameLink* link = &imageLink;
  std::string documents;
  if (o.simulate) {
    auto game = SetUpSimulatedGame(o.gameFile, programFolder + "sim", 2007);
    if (!game) {
      err << "watch: " << game.error().Describe() << "\n";
      return kExitFailed;
    }
    simulator = std::move(game->simulator);
    documents = game->documentsFolder;
    link = &simulator->Link();
  } else {
    auto image = LoadMemoryImageFile(o.imageFile);
    if (!image) {
      err << "watch: " << image.error().Describe() << "\n";
      return kExitFailed;
    }
    if (Status st = LoadMemoryImage(*image, imageLink); !st) {
      err << "watch: " << st.error().Describe() << "\n";
      return kExitFailed;
    }
  }

  PortableMachineValues machine = HostMachineValues();
  if (!documents.empty()) machine.documentsFolder = documents;
  PortableRegistry registry(DefaultPortableStoreFolder(), machine, err);
  StreamUi ui(err);
  SystemClock clock;
  PrintingShell shell(out);
  PlainLocale locale;
  Monitor monitor(MonitorEnv{*link, registry, ui, clock, shell, locale, programFolder});
  ReportChanges(monitor, out);

  monitor.RunCommand([&] { monitor.FormCreate(); });
  if (!o.user.empty()) monitor.rt.UserName = o.user;
  if (!o.logFolder.empty()) {
    monitor.rt.LogFolder = o.logFolder;
    CreateFolder(o.logFolder);
  }
  monitor.RunCommand([&] { monitor.FormShow(); });

  // An image is a game in progress: its in-game byte reads 1 until --end makes it read 0.
  auto setInGame = [&](std::uint8_t v) {
    if (monitor.addresses.InGameFlagAddress)
      imageLink.Write(monitor.addresses.InGameFlagAddress, ByteSpan(&v, 1));
  };
  if (!o.simulate) setInGame(1);

  int reported = 0;
  const auto pause = std::chrono::milliseconds(o.tickMs);
  for (std::uint64_t tick = 0;; ++tick) {
    monitor.Tick();
    if (monitor.GameEndsHandled() > reported) {
      reported = monitor.GameEndsHandled();
      ReportGameEnd(monitor, out);
      if (o.games > 0 && reported >= o.games) break;
    }
    if (simulator) {
      if (simulator->Finished()) break;  // the script is played and its end handled
      simulator->Step();
    } else {
      // An image holds one moment of a game: look twice, the second time after --end.
      if (tick >= 1) break;
      if (o.end) setInGame(0);
    }
    if (o.tickMs > 0) std::this_thread::sleep_for(pause);
  }
  return kExitOk;
}

}  // namespace rw::cli
