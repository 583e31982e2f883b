#include "logs/log_check.h"

#include <algorithm>

#include "common/datetime.h"
#include "common/files.h"
#include "common/paths.h"
#include "monitor/runtime.h"

namespace rw {
namespace {

constexpr char kWarningCaption[] = "Warning!";

std::string AsciiLower(std::string s) {
  for (char& ch : s) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return s;
}

struct TableNames {
  const char* countOk;
  const char* countError;
  const char* heading;
};

constexpr TableNames kTables[kLogTableCount] = {
    {"Roster check record count : OK", "Error in Roster record count.", "Checking Roster..."},
    {"Players check record count : OK", "Error in Players record count.", "Checking Players..."},
    {"Teams check record count : OK", "Error in Teams record count.", "Checking Teams..."},
    {"Summary check record count : OK", "Error in Summary record count.", "Checking Summary..."},
    {nullptr, nullptr, "Checking Rules..."},  // the rules table has no record count check
};

void HeaderLines(std::vector<std::string>& lines, int& warnings, const TLogHeader& h, const std::string& path,
                 ILocale& locale) {
  lines.push_back("Log from user: " + h.User);
  lines.push_back("Log origname: " + h.LogName);
  if (AsciiLower(FileNameOf(path)) == AsciiLower(h.LogName)) {
    lines.push_back("Name check: OK");
  } else {
    lines.push_back("Log name check: Warning!!! filename was changed!!!");
    ++warnings;
  }
  lines.push_back("Log was created: " + locale.FormatDateTime(FromOleDate(h.WrittenAt)));
  lines.push_back("Log was saved: " + locale.FormatDateTime(FromOleDate(h.GameEndAt)));
  lines.push_back(kLogReportSeparator);
}

// One line per column both tables have, over the records both have (row 0, the titles, is not
// compared). Cells are compared in place: the tables are sparse, so this costs nothing for
// the empty area of a crafted size line.
void ColumnLines(std::vector<std::string>& lines, int& cheats, const TCellTable& own, const TCellTable& opp) {
  const std::int32_t cols = std::min(own.ColCount(), opp.ColCount());
  const std::int32_t rows = std::min(own.RowCount(), opp.RowCount());
  static const std::string kEmpty;
  for (std::int32_t c = 0; c < cols; ++c) {
    bool same = true;
    for (std::int32_t r = 1; r < rows && same; ++r) {
      const std::string* a = own.CellPtr(c, r);
      const std::string* b = opp.CellPtr(c, r);
      same = (a ? *a : kEmpty) == (b ? *b : kEmpty);
    }
    const std::string title = own.GetCell(c, 0);
    if (same) {
      lines.push_back(title + kColumnOk);
    } else {
      lines.push_back("CHEAT!!! in " + title);
      ++cheats;
    }
  }
}

}  // namespace

LogCheckResult CheckLogs(LogCheckState& state, const std::string& ownPath, const std::string& opponentPath,
                         IUi& ui, ILocale& locale) {
  LogCheckResult result;

  for (const std::string* p : {&ownPath, &opponentPath}) {
    if (!FileExists(*p)) {
      ui.ShowMessage("File " + *p + " not exist.", kWarningCaption, MessageIcon::Warning);
      result.outcome = LogCheckOutcome::MissingFile;
      return result;
    }
  }
  if (ownPath == opponentPath) {
    ui.ShowMessage("Select random files of log.", kWarningCaption, MessageIcon::Warning);
    result.outcome = LogCheckOutcome::SamePath;
    return result;
  }

  TLogHeader& a = result.own;
  TLogHeader& b = result.opponent;
  // Table failures after a decoded header are not fatal: the comparison then shows the
  // differences. Only the header records decide whether the check goes on.
  (void)EnCoding(LogCaller::LogCheckWindow, ownPath, state.UserGrids(), a, nullptr, ui);
  (void)EnCoding(LogCaller::LogCheckWindow, opponentPath, state.OppGrids(), b, nullptr, ui);
  if (a.Version != kLogFormatVersion || b.Version != kLogFormatVersion) {
    result.outcome = LogCheckOutcome::ReaderStopped;
    return result;
  }
  if (a.HomeAbbr != b.HomeAbbr || a.AwayAbbr != b.AwayAbbr) {
    ui.ShowMessage("You can not check this logs, because teams name not equals.", kWarningCaption,
                   MessageIcon::Warning);
    result.outcome = LogCheckOutcome::TeamsDiffer;
    return result;
  }

  auto& lines = result.lines;
  lines.push_back(kLogReportSeparator);
  HeaderLines(lines, result.warnings, a, ownPath, locale);
  HeaderLines(lines, result.warnings, b, opponentPath, locale);
  if (a.User == b.User) {
    lines.push_back("Warning!!! Usernames in Your and Opponent Logs are equals.");
    lines.push_back("Maybe Opponent send to you Your Log.");
    lines.push_back(kLogReportSeparator);
    ++result.warnings;
  }

  const LogTables own = state.UserGrids();
  const LogTables opp = state.OppGrids();
  lines.push_back("Check Record Count...");
  for (std::size_t k = 0; k < 4; ++k) {
    if (own[k]->RowCount() == opp[k]->RowCount()) {
      lines.push_back(kTables[k].countOk);
    } else {
      lines.push_back(kTables[k].countError);
      ++result.errors;
    }
  }
  lines.push_back(kLogReportSeparator);

  lines.push_back("Checking Logs...");
  for (std::size_t k = 0; k < own.size(); ++k) {
    lines.push_back(kTables[k].heading);
    ColumnLines(lines, result.cheats, *own[k], *opp[k]);
  }
  lines.push_back(kLogReportSeparator);

  lines.push_back("Total check info:");
  lines.push_back("Warnings: " + std::to_string(result.warnings));
  lines.push_back("Errors: " + std::to_string(result.errors));
  lines.push_back("Cheats: " + std::to_string(result.cheats));
  if (result.warnings == 0 && result.errors == 0 && result.cheats == 0) {
    lines.push_back("NO CHEATS!");
    result.verdict = LogCheckVerdict::NoCheats;
  }
  if (result.cheats > 0) {
    lines.push_back("ALARM CHEATS!!!!");
    result.verdict = LogCheckVerdict::AlarmCheats;
  }
  return result;
}

}  // namespace rw
