#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/app.h"
#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/log_view.h"
#include "cli/text.h"
#include "common/datetime.h"
#include "common/paths.h"
#include "shell/stat_export.h"

namespace rw::cli {
namespace {

std::size_t DisplayWidth(const std::string& utf8) {
  std::size_t n = 0;
  for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

void PrintAligned(const TCellTable& t, std::ostream& out) {
  std::vector<std::size_t> widths(static_cast<std::size_t>(t.ColCount()), 0);
  for (std::int32_t r = 0; r < t.RowCount(); ++r) {
    for (std::int32_t c = 0; c < t.ColCount(); ++c) {
      auto& w = widths[static_cast<std::size_t>(c)];
      w = std::max(w, DisplayWidth(Cp1251ToUtf8(t.GetCell(c, r))));
    }
  }
  for (std::int32_t r = 0; r < t.RowCount(); ++r) {
    std::string line;
    for (std::int32_t c = 0; c < t.ColCount(); ++c) {
      const std::string cell = Cp1251ToUtf8(t.GetCell(c, r));
      line += cell;
      if (c + 1 < t.ColCount())
        line += std::string(widths[static_cast<std::size_t>(c)] - DisplayWidth(cell) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
}

std::string DateText(double ole) {
  PlainLocale locale;
  return locale.FormatDateTime(FromOleDate(ole));
}

}  // namespace

int RunShow(const ShowOptions& o, std::ostream& out, std::ostream& err) {
  LoadedLog log;
  if (int code = LoadLogForCli(o.log, log, err); code != kExitOk) return code;
  const auto& h = log.header;
  if (o.format == "stream") {
    for (const auto& s : log.streams) out << s << "\n";
    return kExitOk;
  }
  if (o.format == "json") {
    nlohmann::json tables = nlohmann::json::array();
    for (int k = 0; k < kLogTableCount; ++k) {
      const TCellTable& t = log.tables[static_cast<std::size_t>(k)];
      nlohmann::json widths = nlohmann::json::array();
      nlohmann::json rows = nlohmann::json::array();
      for (std::int32_t c = 0; c < t.ColCount(); ++c) widths.push_back(t.ColWidths(c));
      for (std::int32_t r = 0; r < t.RowCount(); ++r) {
        nlohmann::json row = nlohmann::json::array();
        for (std::int32_t c = 0; c < t.ColCount(); ++c) row.push_back(ForJson(t.GetCell(c, r)));
        rows.push_back(std::move(row));
      }
      tables.push_back({{"name", kLogTableNames[k]},
                        {"columns", t.ColCount()},
                        {"rows", t.RowCount()},
                        {"widths", widths},
                        {"cells", rows}});
    }
    out << nlohmann::json{{"header",
                           {{"version", h.Version},
                            {"user", ForJson(h.User)},
                            {"logName", ForJson(h.LogName)},
                            {"home", ForJson(h.HomeAbbr)},
                            {"away", ForJson(h.AwayAbbr)},
                            {"writtenAt", DateText(h.WrittenAt)},
                            {"gameEndAt", DateText(h.GameEndAt)}}},
                          {"tables", tables}}
               .dump(2)
        << "\n";
    return kExitOk;
  }
  if (o.format == "csv") {
    for (int k = 0; k < kLogTableCount; ++k) {
      out << "# " << kLogTableNames[k] << "\r\n"
          << BuildCsv(log.tables[static_cast<std::size_t>(k)]) << "\r\n";
    }
    return kExitOk;
  }
  out << "Version:   " << h.Version << "\n"
      << "User:      " << Cp1251ToUtf8(h.User) << "\n"
      << "Log name:  " << Cp1251ToUtf8(h.LogName) << "\n"
      << "Teams:     " << Cp1251ToUtf8(h.HomeAbbr) << " - " << Cp1251ToUtf8(h.AwayAbbr) << "\n"
      << "Written:   " << DateText(h.WrittenAt) << "\n"
      << "Game end:  " << DateText(h.GameEndAt) << "\n";
  for (int k = 0; k < kLogTableCount; ++k) {
    out << "\n== " << kLogTableNames[k] << " ==\n";
    PrintAligned(log.tables[static_cast<std::size_t>(k)], out);
  }
  return kExitOk;
}

int RunExport(const ExportOptions& o, std::ostream& out, std::ostream& err) {
  LoadedLog log;
  if (int code = LoadLogForCli(o.log, log, err); code != kExitOk) return code;
  std::int32_t format = 0;
  if (o.format == "xls")
    format = 0;
  else if (o.format == "csv")
    format = 1;
  else if (o.format == "html")
    format = 2;
  else {
    err << "export: unknown format " << o.format << " (xls, csv or html)\n";
    return kExitUsage;
  }
  RuntimeValues rt;
  rt.UserName = log.header.User;
  rt.HomeTeamAbbr = log.header.HomeAbbr;
  rt.AwayTeamAbbr = log.header.AwayAbbr;
  rt.LogFolder = o.outDir;
  const std::string stamp = FileTimeStamp(FromOleDate(log.header.GameEndAt));
  const std::string ext = StatFileExtension(format);
  struct Item {
    const char* kind;
    const TCellTable& table;
  };
  const Item items[] = {
      {"teamstat", log.tables[2]}, {"playerstat", log.tables[1]}, {"gamestat", log.tables[3]}};
  for (const auto& item : items) {
    const std::string path = JoinSystemPath(o.outDir, StatFileName(rt, item.kind, stamp, ext));
    Status st = format == 0   ? SaveGridToXls(item.table, path)
                : format == 1 ? SaveGridToCsv(item.table, path)
                              : SaveGridToHtml(item.table, path);
    if (!st) {
      err << "export: " << st.error().Describe() << "\n";
      return kExitFailed;
    }
    out << path << "\n";
  }
  return kExitOk;
}

}  // namespace rw::cli
