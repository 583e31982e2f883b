#include <filesystem>
#include <ostream>

#include "cli/app.h"
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/harness.h"
#include "cli/log_view.h"
#include "cli/text.h"
#include "common/files.h"
#include "common/paths.h"
#include "logs/log_check.h"
#include "logs/log_writer.h"
#include "monitor/monitor.h"
#include "shell/portable_registry.h"
#include "shell/settings.h"

namespace rw::cli {
namespace {

struct Tamper {
  int table = -1;
  std::int32_t col = 0, row = 0;
  std::string text;
};

// "TABLE:COL:ROW=TEXT", TABLE by its name or its number 1..5.
std::optional<Tamper> ParseTamper(const std::string& text) {
  const auto eq = text.find('=');
  if (eq == std::string::npos) return std::nullopt;
  const std::string where = text.substr(0, eq);
  const auto c1 = where.find(':');
  const auto c2 = c1 == std::string::npos ? std::string::npos : where.find(':', c1 + 1);
  if (c2 == std::string::npos) return std::nullopt;
  Tamper t;
  const std::string table = where.substr(0, c1);
  for (int k = 0; k < kLogTableCount; ++k) {
    if (table == kLogTableNames[k] || table == std::to_string(k + 1)) t.table = k;
  }
  auto col = StrToInt(where.substr(c1 + 1, c2 - c1 - 1));
  auto row = StrToInt(where.substr(c2 + 1));
  if (t.table < 0 || !col || !row || *col < 0 || *row < 0) return std::nullopt;
  t.col = *col;
  t.row = *row;
  t.text = text.substr(eq + 1);
  return t;
}

// One player's copy of the program: its own folder, settings store and monitor.
struct Player {
  Player(const std::string& name, const std::string& folder, const std::string& documents, IGameLink& link,
         IClock& clock, std::ostream& out, std::ostream& err, std::int32_t format)
      : registry(folder + "settings", PortableMachineValues{name, documents}, err),
        ui(err),
        shell(out),
        monitor(MonitorEnv{link, registry, ui, clock, shell, locale, folder}) {
    WriteRegString(registry, "HCU", kSettingsKey, "LogPath", folder + "Logs");
    WriteRegInteger(registry, "HCU", kSettingsKey, "StatSaveFormat", format);
  }
  PortableRegistry registry;
  StreamUi ui;
  PrintingShell shell;
  PlainLocale locale;
  Monitor monitor;

  std::string LogPath() const {
    const std::string label = monitor.window.Label(LabelId::Label11);
    return JoinSystemPath(monitor.rt.LogFolder, label.substr(std::string("Log: ").size()));
  }
};

Status ApplyTamper(const Tamper& t, const std::string& path, std::ostream& out, std::ostream& err) {
  LoadedLog log;
  if (LoadLogForCli(path, log, err) != kExitOk) return MakeError(ErrorCode::Invalid, "cannot load " + path);
  TCellTable& table = log.tables[static_cast<std::size_t>(t.table)];
  if (t.col >= table.ColCount() || t.row >= table.RowCount()) {
    return MakeError(ErrorCode::Usage, std::string("--tamper: ") + kLogTableNames[t.table] + " has " +
                                           std::to_string(table.ColCount()) + " columns and " +
                                           std::to_string(table.RowCount()) + " rows");
  }
  out << "Tampered " << kLogTableNames[t.table] << " column " << t.col << " row " << t.row << ": \""
      << Cp1251ToUtf8(table.GetCell(t.col, t.row)) << "\" -> \"" << Cp1251ToUtf8(t.text) << "\"\n";
  table.SetCell(t.col, t.row, t.text);
  LogContents c;
  c.Version = log.header.Version;
  c.WrittenAt = log.header.WrittenAt;
  c.GameEndAt = log.header.GameEndAt;
  c.User = log.header.User;
  c.HomeAbbr = log.header.HomeAbbr;
  c.AwayAbbr = log.header.AwayAbbr;
  c.LogName = log.header.LogName;
  for (int k = 0; k < kLogTableCount; ++k)
    c.Streams[static_cast<std::size_t>(k)] = log.tables[static_cast<std::size_t>(k)].SaveCells();
  auto bytes = BuildLogBytes(c);
  if (!bytes) return bytes.error();
  return WriteFileAtomic(path, *bytes);
}

}  // namespace

int RunSimulate(const SimulateOptions& o, std::ostream& out, std::ostream& err) {
  std::optional<Tamper> tamper;
  if (!o.tamper.empty()) {
    tamper = ParseTamper(o.tamper);
    if (!tamper) {
      err << "simulate: --tamper wants TABLE:COL:ROW=TEXT, e.g. PlayerStat:4:1=9\n";
      return kExitUsage;
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(o.outDir, ec);
  if (!std::filesystem::is_directory(o.outDir, ec)) {
    err << "simulate: cannot create the folder " << o.outDir << "\n";
    return kExitFailed;
  }
  const std::string root = (o.outDir.back() == '/' || o.outDir.back() == '\\') ? o.outDir : o.outDir + "/";
  const auto seed = static_cast<std::uint32_t>(o.seed.value_or(2007));
  auto game = SetUpSimulatedGame(o.gameFile, root + "game", seed);
  if (!game) {
    err << "simulate: " << game.error().Describe() << "\n";
    return kExitFailed;
  }
  sim::GameSimulator& simulator = *game->simulator;
  SteppingClock clock(
      LocalDateTime{2007, 3, 5, 20, static_cast<int>(seed % 60), static_cast<int>(seed / 60 % 60), 0});

  std::filesystem::create_directories(root + "Player1", ec);
  std::filesystem::create_directories(root + "Player2", ec);
  Player one("Player1", root + "Player1/", game->documentsFolder, simulator.Link(), clock, out, err, 0);
  Player two("Player2", root + "Player2/", game->documentsFolder, simulator.Link(), clock, out, err, 2);
  for (Player* p : {&one, &two}) {
    p->monitor.RunCommand([p] { p->monitor.FormCreate(); });
    p->monitor.RunCommand([p] { p->monitor.FormShow(); });
  }

  // Both watch the game through the real polling cycle, one tick per script step.
  const std::size_t bound = simulator.Game().script.size() + 10;
  for (std::size_t tick = 0; tick < bound; ++tick) {
    one.monitor.Tick();
    two.monitor.Tick();
    if (one.monitor.GameEndsHandled() > 0 && two.monitor.GameEndsHandled() > 0) break;
    simulator.Step();
    clock.Advance(1000);
  }
  if (one.monitor.GameEndsHandled() == 0 || two.monitor.GameEndsHandled() == 0) {
    err << "simulate: the game did not end\n";
    return kExitFailed;
  }
  for (Player* p : {&one, &two}) {
    const auto& w = p->monitor.window;
    out << p->monitor.rt.UserName << ":\n"
        << "  " << Cp1251ToUtf8(ToHostPath(p->LogPath())) << "\n";
    for (LabelId id : {LabelId::Label4, LabelId::Label7, LabelId::Label8}) {
      out << "  " << Cp1251ToUtf8(w.Label(id)) << "\n";
    }
  }

  const std::string own = one.LogPath();
  const std::string opponent = two.LogPath();
  if (tamper) {
    if (Status st = ApplyTamper(*tamper, opponent, out, err); !st) {
      err << "simulate: " << st.error().Describe() << "\n";
      return st.error().code == ErrorCode::Usage ? kExitUsage : kExitFailed;
    }
  }
  StreamUi ui(err);
  PlainLocale locale;
  LogCheckState state;
  const LogCheckResult r = CheckLogs(state, own, opponent, ui, locale);
  out << "\n";
  for (const auto& line : r.lines) out << (o.raw ? line : Cp1251ToUtf8(line)) << "\n";
  return CheckExitCode(r);
}

}  // namespace rw::cli
