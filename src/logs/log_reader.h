#pragma once
// Reading a game log back into five tables and a header record. The file is untrusted (it
// comes from the other player): every offset and stored length is checked in 64-bit arithmetic
// and nothing is allocated from a stored size.

#include <array>
#include <cstdint>
#include <string>

#include "common/bytes.h"
#include "common/outside.h"
#include "common/result.h"
#include "logs/log_format.h"
#include "monitor/cell_table.h"
#include "monitor/runtime.h"
#include "shell/main_window.h"

namespace rw {

// On whose behalf a log is loaded: only the main window's own commands change its "Log:"
// label; the log-check window loads two logs side by side and leaves the label alone.
enum class LogCaller { MainWindow, LogCheckWindow };

// The five target tables in file order: rosters, player statistics, team statistics, game
// summary, rules.
using LogTables = std::array<TCellTable*, kLogTableCount>;

inline constexpr char kWrongLogVersionText[] = "Wrong or old version of rinkwarden log.";

// Loads the log at `path` (a system path):
//   1. empties the five tables (1 column, 2 rows, no text);
//   2. reads the file; 3. a version other than `expectedVersion` shows "Wrong or old version of
//   rinkwarden log." (caption "Warning!", warning icon) and stops;
//   4-6. computes LogKey and decodes the 853-byte header block;
//   7. unless the caller is the log-check window, sets window->Label11 to
//      "Log from " + User + ": " + the path's file name;
//   8. fills `header` (Version last) - only here, so a load that stops earlier leaves it as passed;
//   9-11. splits the tables at their stored lengths and loads each with LoadCells.
// Every failure but the version beeps through ui.Beep() and keeps what was done before it. The
// result tells the caller what happened (the user learns it from the beep or the message).
// `window` may be null when the caller is the log-check window.
Status EnCoding(LogCaller caller, const std::string& path, const LogTables& tables, TLogHeader& header,
                MainWindowState* window, IUi& ui, std::int32_t expectedVersion = kLogFormatVersion);

// Step 10 alone, for a file of at least kLogTablesOffset bytes with an even number of bytes
// after it: decodes the words from offset 1726 on into five streams. Stream k (1-based) starts
// at the word whose offset equals B(k-1), where B0 = 1726 and Bk = B(k-1) + Lk - 2; a boundary
// no word offset meets (odd, behind, or beyond the end) ends the switching and every later byte
// stays in the current stream. L5 is not used: table 5 runs to the end of the file.
std::array<std::string, kLogTableCount> DecodeLogTables(
    ByteSpan file, int key, const std::array<std::int32_t, kLogTableCount>& lengths);

// The load-log command once the open dialog has given a path: EnCoding into the main window's
// five tables, then as one unit that stops at the first error: hide PlayerGrid's column 3
// (width -1; fails when it has fewer than 4 columns), status panel 2 := " " + path, enable the
// mail command. Every table change is announced.
Status LoadLogCommand(MainWindowState& window, const std::string& path, IUi& ui);

}  // namespace rw
