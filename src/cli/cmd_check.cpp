#include <algorithm>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "cli/app.h"
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/text.h"
#include "logs/log_check.h"
#include "logs/log_reader.h"

namespace rw::cli {
namespace {

const char* OutcomeName(LogCheckOutcome o) {
  switch (o) {
    case LogCheckOutcome::Report:
      return "report";
    case LogCheckOutcome::MissingFile:
      return "missing-file";
    case LogCheckOutcome::SamePath:
      return "same-path";
    case LogCheckOutcome::ReaderStopped:
      return "unreadable-log";
    case LogCheckOutcome::TeamsDiffer:
      return "teams-differ";
  }
  return "";
}

}  // namespace

int CheckExitCode(const LogCheckResult& r) {
  if (r.outcome != LogCheckOutcome::Report) return kExitCheckRefused;
  if (r.cheats > 0) return kExitCheckCheats;
  if (r.warnings > 0 || r.errors > 0) return kExitCheckWarnings;
  return kExitOk;
}

namespace {

nlohmann::json HeaderJson(const TLogHeader& h) {
  return {{"version", h.Version},        {"user", ForJson(h.User)},     {"logName", ForJson(h.LogName)},
          {"home", ForJson(h.HomeAbbr)}, {"away", ForJson(h.AwayAbbr)}, {"writtenAt", h.WrittenAt},
          {"gameEndAt", h.GameEndAt}};
}

nlohmann::json ResultJson(const LogCheckResult& r) {
  nlohmann::json lines = nlohmann::json::array();
  for (const auto& l : r.lines) lines.push_back(ForJson(l));
  nlohmann::json verdict = nullptr;
  if (r.verdict == LogCheckVerdict::NoCheats) verdict = "NO CHEATS!";
  if (r.verdict == LogCheckVerdict::AlarmCheats) verdict = "ALARM CHEATS!!!!";
  return {{"outcome", OutcomeName(r.outcome)},
          {"warnings", r.warnings},
          {"errors", r.errors},
          {"cheats", r.cheats},
          {"verdict", verdict},
          {"lines", lines},
          {"own", HeaderJson(r.own)},
          {"opponent", HeaderJson(r.opponent)}};
}

std::string Shown(const std::string& bytes, bool raw) {
  return raw ? bytes : Cp1251ToUtf8(bytes);
}

struct LogInfo {
  std::string path;
  TLogHeader header;
};

int RunPairs(const CheckOptions& o, std::ostream& out, std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(o.pairsDir, ec)) {
    err << "check: " << o.pairsDir << " is not a folder\n";
    return kExitFailed;
  }
  std::vector<std::string> paths;
  for (const auto& entry : fs::directory_iterator(o.pairsDir, ec)) {
    if (entry.is_regular_file(ec) && entry.path().extension() == ".log")
      paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());

  // Read every header; a log that does not load is reported and left out.
  std::vector<LogInfo> logs;
  for (const auto& p : paths) {
    StreamUi quiet(err);
    LogCheckState scratch;
    LogInfo info{p, {}};
    if (!EnCoding(LogCaller::LogCheckWindow, p, scratch.UserGrids(), info.header, nullptr, quiet) ||
        info.header.Version != kLogFormatVersion) {
      err << "check: cannot read " << p << ", left out\n";
      continue;
    }
    logs.push_back(std::move(info));
  }
  std::sort(logs.begin(), logs.end(),
            [](const LogInfo& a, const LogInfo& b) { return a.header.GameEndAt < b.header.GameEndAt; });

  // Pair each log with the nearest later one of the same teams by another user.
  const double window = o.pairMinutes / (24.0 * 60.0);
  std::vector<bool> used(logs.size(), false);
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  for (std::size_t i = 0; i < logs.size(); ++i) {
    if (used[i]) continue;
    for (std::size_t j = i + 1; j < logs.size(); ++j) {
      if (logs[j].header.GameEndAt - logs[i].header.GameEndAt > window) break;
      const auto& a = logs[i].header;
      const auto& b = logs[j].header;
      if (used[j] || a.HomeAbbr != b.HomeAbbr || a.AwayAbbr != b.AwayAbbr || a.User == b.User) continue;
      used[i] = used[j] = true;
      pairs.emplace_back(i, j);
      break;
    }
  }

  int clean = 0, flagged = 0, cheating = 0, refused = 0;
  nlohmann::json all = nlohmann::json::array();
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    if (pairs.size() >= 20 && (k % std::max<std::size_t>(1, pairs.size() / 10) == 0)) {
      err << "checked " << k << " of " << pairs.size() << " pairs\n";
    }
    const auto& own = logs[pairs[k].first];
    const auto& opp = logs[pairs[k].second];
    StreamUi ui(err);
    PlainLocale locale;
    LogCheckState state;
    const LogCheckResult r = CheckLogs(state, own.path, opp.path, ui, locale);
    const int code = CheckExitCode(r);
    const char* verdict = code == kExitOk              ? "NO CHEATS!"
                          : code == kExitCheckCheats   ? "ALARM CHEATS!!!!"
                          : code == kExitCheckWarnings ? "WARNINGS"
                                                       : "REFUSED";
    clean += code == kExitOk;
    flagged += code == kExitCheckWarnings;
    cheating += code == kExitCheckCheats;
    refused += code == kExitCheckRefused;
    if (o.json) {
      auto j = ResultJson(r);
      j["ownPath"] = own.path;
      j["opponentPath"] = opp.path;
      all.push_back(std::move(j));
    } else {
      out << verdict << "\t" << fs::path(own.path).filename().string() << "\t"
          << fs::path(opp.path).filename().string() << "\twarnings " << r.warnings << ", errors " << r.errors
          << ", cheats " << r.cheats << "\n";
    }
  }
  const std::size_t unpaired = logs.size() - 2 * pairs.size();
  if (o.json) {
    out << nlohmann::json{{"pairs", all},
                          {"total",
                           {{"pairs", pairs.size()},
                            {"noCheats", clean},
                            {"warnings", flagged},
                            {"cheats", cheating},
                            {"refused", refused},
                            {"unpaired", unpaired}}}}
               .dump(2)
        << "\n";
  } else {
    out << "Total: " << pairs.size() << " pairs, " << clean << " without cheats, " << flagged
        << " with warnings or errors, " << cheating << " with cheats, " << refused << " refused; " << unpaired
        << " logs without a pair\n";
  }
  if (pairs.empty()) {
    err << "check: no pairs of logs found in " << o.pairsDir << "\n";
    return kExitFailed;
  }
  if (cheating) return kExitCheckCheats;
  if (flagged) return kExitCheckWarnings;
  if (refused) return kExitCheckRefused;
  return kExitOk;
}

}  // namespace

int RunCheck(const CheckOptions& o, std::ostream& out, std::ostream& err) {
  if (!o.pairsDir.empty()) return RunPairs(o, out, err);
  StreamUi ui(err);
  PlainLocale locale;
  LogCheckState state;
  const LogCheckResult r = CheckLogs(state, o.own, o.opponent, ui, locale);
  if (o.json) {
    out << ResultJson(r).dump(2) << "\n";
  } else {
    for (const auto& line : r.lines) out << Shown(line, o.raw) << "\n";
  }
  if (r.outcome == LogCheckOutcome::ReaderStopped && ui.messages == 0) {
    err << "check: a log could not be read\n";
  }
  return CheckExitCode(r);
}

}  // namespace rw::cli
