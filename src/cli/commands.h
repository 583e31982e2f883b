#pragma once
// The CLI's commands. Each takes its options and the output and error streams, and returns
// the process exit code.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace rw {
struct LogCheckResult;
}

namespace rw::cli {

// Exit codes of `check` beyond the shared ones (app.h).
inline constexpr int kExitCheckWarnings = 3;  // warnings or errors, no cheats
inline constexpr int kExitCheckCheats = 4;    // "ALARM CHEATS!!!!"
inline constexpr int kExitCheckRefused = 5;   // the check was refused (message on stderr)

struct CheckOptions {
  std::string own, opponent;
  std::string pairsDir;  // non-empty: check every pair of logs in this folder
  int pairMinutes = 15;  // game ends at most this far apart form a pair
  bool raw = false;
  bool json = false;
};
int RunCheck(const CheckOptions& o, std::ostream& out, std::ostream& err);

// The exit code a check's outcome and counters call for.
int CheckExitCode(const LogCheckResult& result);

struct ShowOptions {
  std::string log;
  std::string format = "text";  // text, csv, json, stream
};
int RunShow(const ShowOptions& o, std::ostream& out, std::ostream& err);

struct ExportOptions {
  std::string log;
  std::string format = "xls";  // xls, csv, html
  std::string outDir;
};
int RunExport(const ExportOptions& o, std::ostream& out, std::ostream& err);

struct WatchOptions {
  bool simulate = false;
  std::string gameFile;   // with simulate: a game description instead of the built-in game
  std::string imageFile;  // a memory image
  bool end = false;       // with an image: the in-game byte reads 0 after the first tick
  int tickMs = 1000;
  std::string logFolder;
  std::string user;
  int games = 0;              // stop after this many game ends; 0: run until the source ends
  std::string programFolder;  // where Temp\ and the default Logs folder go
};
int RunWatch(const WatchOptions& o, std::ostream& out, std::ostream& err);

struct SimulateOptions {
  std::string outDir;
  std::string gameFile;
  std::optional<std::uint64_t> seed;
  std::string tamper;  // TABLE:COL:ROW=TEXT
  bool raw = false;
};
int RunSimulate(const SimulateOptions& o, std::ostream& out, std::ostream& err);

}  // namespace rw::cli
