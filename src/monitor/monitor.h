#pragma once
// The monitor: start-up and the polling cycle that follows the game, on top of the main
// window's state. The front end owns the timer (1000 ms in the GUI) and calls Tick; the core
// offers one tick at a time and never blocks waiting for the game.
//
// The operations that run at a game's end (roster read, log, statistics export) and address
// discovery are reached through MonitorOps, so tests can record their order; MakeDefaultOps
// wires the real ones.

#include <functional>
#include <string>

#include "common/outside.h"
#include "common/result.h"
#include "gamelink/addresses.h"
#include "gamelink/game_link.h"
#include "logs/log_check.h"
#include "monitor/runtime.h"
#include "shell/main_window.h"
#include "shell/registry.h"
#include "shell/settings.h"
#include "shell/window_placement.h"

namespace rw {

struct MonitorEnv {
  IGameLink& link;
  IRegistry& registry;
  IUi& ui;
  IClock& clock;
  IShell& shell;
  ILocale& locale;
  std::string programFolder;  // system path of the program's folder, with its trailing "\"
  bool win9x = false;         // the Windows 9x platform family (user name from another key)
};

class Monitor;

struct MonitorOps {
  std::function<void(Monitor&)> findaddresses;
  std::function<void(Monitor&)> CheckRoster;
  std::function<Status(Monitor&)> SaveLog;
  std::function<Status(Monitor&)> SaveStat;
};

// The operations of the real system.
MonitorOps MakeDefaultOps();

class Monitor {
 public:
  explicit Monitor(MonitorEnv env, MonitorOps ops = MakeDefaultOps());

  MainWindowState window;
  RuntimeValues rt;
  DataAddresses addresses;

  MonitorEnv& env() { return env_; }

  // Start-up: the creation handler, then the show handler.
  void FormCreate();
  void FormShow();

  // True when the game window exists; keeps status panel 1, the labels and the update
  // command in step, and discovers the addresses when the game has just appeared.
  bool checkwindow();
  // One tick of the polling timer.
  void Timer1Timer();
  // Reads team names, abbreviations and the period; updates labels, GameFolder,
  // RosterArchivePath and status panel 0.
  void CheckPeriod();

  // What the front end calls on each timer tick: runs Timer1Timer under the general error
  // handler. A tick that arrives while another tick or a command is still running (a modal
  // message box is open) is dropped and returns false.
  bool Tick();
  // Runs a command under the same guard and error handler; false when it was dropped.
  bool RunCommand(const std::function<void()>& command);

  // The general error handler: a message box with the error's text.
  void HandleError(const std::string& text);

  int GameEndsHandled() const { return gameEnds_; }

  // The toolbar's commands. Each runs to its end; errors reach the caller's error handler
  // (run them through RunCommand).
  void MailLog();                         // "Send Rinkwarden Log to opponent E-mail"
  void LoadLog(const std::string& path);  // "Load Rinkwarden Log", after the open dialog
  void ManualStatSave();                  // "Manual Stat Save (Not Rinkwarden Log)"
  void UpdateStatAndLog();                // "Update Stat and Log Info"
  LogCheckResult CheckLogsCommand(const std::string& own, const std::string& opponent);  // "Check logs"
  SettingsDialog& Settings() { return settings_; }  // "Settings": the dialog's logic, shown by the UI

  // The window placement: read when the window is shown, written when it closes ("Exit").
  WindowPlacement WindowShown(const WindowPlacement& current);
  void WindowClosing(const WindowPlacement& placement);

 private:
  void GameEndSequence();

  MonitorEnv env_;
  MonitorOps ops_;
  SettingsDialog settings_;
  LogCheckState logCheck_;
  bool busy_ = false;
  int gameEnds_ = 0;
};

}  // namespace rw
