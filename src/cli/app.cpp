#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/commands.h"

namespace rw::cli {
namespace {

constexpr const char* kExitCodes =
    "Exit codes: 0 success, 1 the command failed, 2 usage error.\n"
    "check: 0 NO CHEATS!, 3 warnings or errors without cheats, 4 cheats (ALARM CHEATS!!!!),\n"
    "       5 the check was refused (missing file, same file twice, unreadable log, other teams).";

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Rinkwarden: watches NHL07 games, writes and checks game logs.", "rinkwarden-cli"};
  app.set_version_flag("--version", std::string("rinkwarden-cli ") + RW_VERSION);
  app.footer(kExitCodes);
  app.require_subcommand(0, 1);

  WatchOptions watch;
  auto* w = app.add_subcommand("watch", "Run the monitor against a game source and report what it sees.");
  auto* sim = w->add_flag("--simulate", watch.simulate, "Watch the built-in simulated game");
  w->add_option("--game", watch.gameFile, "With --simulate: a game description file (JSON)")
      ->check(CLI::ExistingFile);
  auto* img = w->add_option("--image", watch.imageFile, "Watch a memory image (a game in progress)")
                  ->check(CLI::ExistingFile);
  w->add_flag("--end", watch.end, "With --image: the game ends after the first tick");
  w->add_option("--tick-ms", watch.tickMs, "Milliseconds between ticks")
      ->capture_default_str()
      ->check(CLI::Range(0, 60000));
  w->add_option("--log-folder", watch.logFolder, "Folder for logs and statistics files");
  w->add_option("--user", watch.user, "User name written into logs");
  w->add_option("--games", watch.games, "Stop after this many game ends (0: when the source ends)")
      ->check(CLI::NonNegativeNumber);
  w->add_option("--program-folder", watch.programFolder, "Folder for Temp/ and the default Logs/ folder");
  sim->excludes(img);
  w->footer(kExitCodes);

  CheckOptions check;
  auto* c = app.add_subcommand("check", "Compare your own log with the opponent's log.");
  c->add_option("own", check.own, "Your own log");
  c->add_option("opponent", check.opponent, "The opponent's log");
  c->add_option("--pairs", check.pairsDir, "Check every pair of logs of one game in this folder");
  c->add_option("--pair-minutes", check.pairMinutes, "With --pairs: game ends at most this far apart")
      ->capture_default_str();
  c->add_flag("--raw", check.raw, "Print the report's own bytes (Windows-1251), not UTF-8");
  c->add_flag("--json", check.json, "Print a machine-readable result");
  c->footer(kExitCodes);

  ShowOptions show;
  auto* s = app.add_subcommand("show", "Show a log's header and its five tables.");
  s->add_option("log", show.log, "The log file")->required();
  s->add_option("--format", show.format, "text, csv, json or stream")
      ->check(CLI::IsMember({"text", "csv", "json", "stream"}))
      ->capture_default_str();
  s->footer(kExitCodes);

  ExportOptions exp;
  auto* e = app.add_subcommand("export", "Export a log's statistics tables as XLS, CSV or HTML files.");
  e->add_option("log", exp.log, "The log file")->required();
  e->add_option("--format", exp.format, "xls, csv or html")
      ->check(CLI::IsMember({"xls", "csv", "html"}))
      ->capture_default_str();
  e->add_option("--out", exp.outDir, "Folder for the three files")->required();
  e->footer(kExitCodes);

  SimulateOptions simulate;
  auto* m = app.add_subcommand("simulate",
                               "Play a simulated game watched by two monitors, write both players' logs and "
                               "statistics, and check the logs.");
  m->add_option("--out", simulate.outDir, "Folder that receives both players' files")->required();
  m->add_option("--game", simulate.gameFile, "A game description file (JSON)")->check(CLI::ExistingFile);
  m->add_option("--seed", simulate.seed, "Seed for the simulated clock and the game's details");
  m->add_option("--tamper", simulate.tamper,
                "TABLE:COL:ROW=TEXT changes one cell of the opponent's log before the check "
                "(TABLE: PlayerGrid, PlayerStat, StatGrid, SummaryGrid or RulesGrid)");
  m->add_flag("--raw", simulate.raw, "Print the report's own bytes (Windows-1251), not UTF-8");
  m->footer(kExitCodes);

  std::vector<std::string> argv(args.rbegin(), args.rend());
  try {
    app.parse(argv);
  } catch (const CLI::CallForHelp&) {
    const CLI::App* target = &app;
    for (auto* sub : {w, c, s, e, m}) {
      if (sub->parsed()) target = sub;
    }
    out << target->help();
    return kExitOk;
  } catch (const CLI::CallForVersion&) {
    out << app.version() << "\n";
    return kExitOk;
  } catch (const CLI::ParseError& ex) {
    err << ex.what() << "\nRun with --help for more information.\n";
    return kExitUsage;
  }

  if (w->parsed()) {
    if (!watch.simulate && watch.imageFile.empty()) {
      err << "watch: give --simulate or --image FILE\n";
      return kExitUsage;
    }
    return RunWatch(watch, out, err);
  }
  if (c->parsed()) {
    if (check.pairsDir.empty() && (check.own.empty() || check.opponent.empty())) {
      err << "check: give OWN.log OPPONENT.log, or --pairs DIR\n";
      return kExitUsage;
    }
    return RunCheck(check, out, err);
  }
  if (s->parsed()) return RunShow(show, out, err);
  if (e->parsed()) return RunExport(exp, out, err);
  if (m->parsed()) return RunSimulate(simulate, out, err);
  out << app.help();
  return kExitOk;
}

}  // namespace rw::cli
