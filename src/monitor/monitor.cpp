#include "monitor/monitor.h"

#include <exception>

#include "common/files.h"
#include "gamelink/game_access.h"
#include "logs/log_reader.h"
#include "shell/mail.h"
#include "shell/messages.h"
#include "shell/settings.h"

namespace rw {
namespace {

constexpr const char* kLabel1Reset = "Now in Game Period #: ";
constexpr const char* kLabel2Reset = "Home Team: ";
constexpr const char* kLabel3Reset = "Away Team: ";

// The text of a game buffer up to its first zero byte.
std::string UpToNul(const std::string& buffer) {
  return buffer.substr(0, buffer.find('\0'));
}

class BusyGuard {
 public:
  explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyGuard() { flag_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Monitor::Monitor(MonitorEnv env, MonitorOps ops)
    : env_(std::move(env)), ops_(std::move(ops)), settings_(rt, env_.registry) {}

void Monitor::FormCreate() {
  rt.LogFormatVersion = kLogFormatVersion;
  window.Enable(CommandId::Update, false);
  rt.GameActiveLatch = false;
  checkwindow();

  // The user's name: read from the machine's branch, the key opened without being created.
  const std::string key = env_.win9x ? "Software\\Microsoft\\Windows\\CurrentVersion"
                                     : "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  const std::string value = env_.win9x ? "RegisteredOwner" : "DefaultUserName";
  rt.UserName.clear();
  if (env_.registry.OpenKey(RootKey::LocalMachine, key, false)) {
    if (auto v = env_.registry.GetValue(RootKey::LocalMachine, key, value);
        v && v->type == RegValue::Type::String) {
      rt.UserName = v->text;
    }
  }

  rt.TempFolder = env_.programFolder + "Temp\\";
  CreateFolder(rt.TempFolder);

  InitLogFolder(rt, env_.registry, env_.programFolder);
}

void Monitor::FormShow() {
  if (!checkwindow()) return;
  env_.ui.ShowPleaseWait();
  ops_.findaddresses(*this);
  env_.ui.HidePleaseWait();
  CheckPeriod();
}

bool Monitor::checkwindow() {
  if (!env_.link.FindWindow(kGameWindowClass, kGameWindowTitle)) {
    window.Enable(CommandId::Update, false);
    rt.GameActiveLatch = false;
    window.SetPanel(1, kStatusNotRunning);
    window.SetLabel(LabelId::Label1, kLabel1Reset);
    window.SetLabel(LabelId::Label2, kLabel2Reset);
    window.SetLabel(LabelId::Label3, kLabel3Reset);
    return false;
  }
  if (window.Panel(1) == kStatusNotRunning) {
    rt.GameActiveLatch = false;
    ops_.findaddresses(*this);
    CheckPeriod();
  }
  window.Enable(CommandId::Update, true);
  window.SetPanel(1, kStatusRunning);
  return true;
}

void Monitor::CheckPeriod() {
  IGameLink& link = env_.link;
  std::string buf;
  const std::uint32_t team = addresses.TeamBlockAddress;
  ReadNHLMem(link, window, team, 32, buf);
  rt.HomeTeamName = UpToNul(buf);
  ReadNHLMem(link, window, team + kTeamRecordStride, 32, buf);
  rt.AwayTeamName = UpToNul(buf);
  ReadNHLMem(link, window, team + 32, 3, buf);
  rt.HomeTeamAbbr = UpToNul(buf);
  ReadNHLMem(link, window, team + kTeamRecordStride + 32, 3, buf);
  rt.AwayTeamAbbr = UpToNul(buf);

  if (ReadNHLMem(link, window, addresses.PeriodAddress, 1, buf) != 1) return;
  const unsigned period = static_cast<unsigned char>(buf[0]);
  window.SetLabel(LabelId::Label1, kLabel1Reset + std::to_string(period + 1));
  window.SetLabel(LabelId::Label2, kLabel2Reset + rt.HomeTeamName);
  window.SetLabel(LabelId::Label3, kLabel3Reset + rt.AwayTeamName);
  rt.GameFolder = GetNHLPath(link);
  rt.RosterArchivePath = rt.GameFolder + "db\\db.viv";
  if (FileExists(rt.RosterArchivePath)) window.SetPanel(0, " " + rt.RosterArchivePath);
}

void Monitor::Timer1Timer() {
  if (!checkwindow()) return;
  CheckPeriod();
  std::string buf;
  ReadNHLMem(env_.link, window, addresses.InGameFlagAddress, 1, buf);  // the count is not consulted
  const auto inGame = static_cast<unsigned char>(buf[0]);
  if (inGame == 1) rt.GameActiveLatch = true;
  if (inGame == 0 && rt.GameActiveLatch) GameEndSequence();
}

void Monitor::GameEndSequence() {
  rt.GameActiveLatch = false;
  ++gameEnds_;
  window.ShowPlayerGrid(false);
  ops_.CheckRoster(*this);
  window.ShowPlayerGrid(true);
  rt.GameEndTime = env_.clock.Now();
  // A log that cannot be written reaches the general error handler; that game's statistics
  // export is then skipped, as it follows the log.
  if (Status st = ops_.SaveLog(*this); !st) {
    HandleError(st.error().Describe());
    return;
  }
  if (Status st = ops_.SaveStat(*this); !st) HandleError(st.error().Describe());
}

bool Monitor::Tick() {
  return RunCommand([this] { Timer1Timer(); });
}

bool Monitor::RunCommand(const std::function<void()>& command) {
  if (busy_) return false;
  BusyGuard guard(busy_);
  try {
    command();
  } catch (const std::exception& e) {
    HandleError(e.what());
  }
  return true;
}

void Monitor::MailLog() {
  MailCommand(window, env_.ui, env_.shell);
}

void Monitor::LoadLog(const std::string& path) {
  LoadLogCommand(window, path, env_.ui);
}

void Monitor::ManualStatSave() {
  if (Status st = ops_.SaveStat(*this); !st) {
    HandleError(st.error().Describe());
    return;
  }
  env_.ui.ShowMessage("Stat was succesfully saved!", "Rinkwarden", MessageIcon::None);
}

void Monitor::UpdateStatAndLog() {
  ops_.CheckRoster(*this);
}

LogCheckResult Monitor::CheckLogsCommand(const std::string& own, const std::string& opponent) {
  return CheckLogs(logCheck_, own, opponent, env_.ui, env_.locale);
}

WindowPlacement Monitor::WindowShown(const WindowPlacement& current) {
  return ReadWindowPlacement(env_.registry, current);
}

void Monitor::WindowClosing(const WindowPlacement& placement) {
  WriteWindowPlacement(env_.registry, placement);
}

void Monitor::HandleError(const std::string& text) {
  env_.ui.ShowMessage(text, "Rinkwarden", MessageIcon::Error);
}

}  // namespace rw
