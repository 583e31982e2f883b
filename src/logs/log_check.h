#pragma once
// The comparison of the player's own log with the opponent's: header names and times, record
// counts of four tables, and every column of all five tables. UI-free: messages go through IUi,
// date-times become text through ILocale, and the report comes back as lines with its counters
// so the log-check window, the CLI (exit codes, JSON) and tests read the same result.

#include <array>
#include <string>
#include <vector>

#include "common/outside.h"
#include "logs/log_format.h"
#include "logs/log_reader.h"
#include "monitor/cell_table.h"

namespace rw {

// The log-check window's hidden tables, number k holding a log's table k (1 rosters, 2 player
// statistics, 3 team statistics, 4 game summary, 5 rules). They keep the last loaded logs until
// the next check reloads them.
struct LogCheckState {
  TCellTable UserGrid1, UserGrid2, UserGrid3, UserGrid4, UserGrid5;
  TCellTable OppGrid1, OppGrid2, OppGrid3, OppGrid4, OppGrid5;

  LogTables UserGrids() { return {&UserGrid1, &UserGrid2, &UserGrid3, &UserGrid4, &UserGrid5}; }
  LogTables OppGrids() { return {&OppGrid1, &OppGrid2, &OppGrid3, &OppGrid4, &OppGrid5}; }
};

enum class LogCheckOutcome {
  Report,         // both logs loaded (possibly partly) and compared
  MissingFile,    // "File <path> not exist."
  SamePath,       // "Select random files of log."
  ReaderStopped,  // a log's version was wrong or its header unreadable; the reader already told
  TeamsDiffer,    // "You can not check this logs, because teams name not equals."
};

enum class LogCheckVerdict { None, NoCheats, AlarmCheats };

struct LogCheckResult {
  LogCheckOutcome outcome = LogCheckOutcome::Report;
  std::vector<std::string> lines;  // the report, empty unless outcome is Report
  int warnings = 0, errors = 0, cheats = 0;
  LogCheckVerdict verdict = LogCheckVerdict::None;
  TLogHeader own, opponent;  // as the reader left them
};

// A line of 70 asterisks between the report's sections.
inline const std::string kLogReportSeparator(70, '*');
// The ending of a column whose records agree: ": " and the Cyrillic capitals O and KA in code
// page 1251, as peers' reports have always shown it.
inline constexpr char kColumnOk[] = ": \xCE\xCA";

// Runs the check on the two paths (system paths) and returns what the report memo shows.
LogCheckResult CheckLogs(LogCheckState& state, const std::string& ownPath, const std::string& opponentPath,
                         IUi& ui, ILocale& locale);

}  // namespace rw
