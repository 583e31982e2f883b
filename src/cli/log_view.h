#pragma once
// A log loaded for the CLI: its header, its five tables and the cell streams as stored.

#include <array>
#include <iosfwd>
#include <string>

#include "logs/log_format.h"
#include "monitor/cell_table.h"

namespace rw::cli {

inline constexpr const char* kLogTableNames[kLogTableCount] = {"PlayerGrid", "PlayerStat", "StatGrid",
                                                               "SummaryGrid", "RulesGrid"};

struct LoadedLog {
  TLogHeader header;
  std::array<TCellTable, kLogTableCount> tables;
  std::array<std::string, kLogTableCount> streams;  // each table's stream as stored (no final LF)
};

// Loads a log the way the log-check window does; on failure prints why and returns the exit code.
int LoadLogForCli(const std::string& path, LoadedLog& log, std::ostream& err);

}  // namespace rw::cli
