#include "shell/stat_export.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/datetime.h"
#include "common/files.h"
#include "common/paths.h"

namespace rw {
namespace {

constexpr std::uint8_t kXlsBof[] = {0x09, 0x08, 0x08, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::uint8_t kXlsCodePage[] = {0x42, 0x00, 0x02, 0x00, 0xE4, 0x04};
constexpr std::uint8_t kXlsFont[] = {0x31, 0x00, 0x0A, 0x00, 0xC8, 0x00, 0x00,
                                     0x00, 0x05, 0x41, 0x72, 0x69, 0x61, 0x6C};
constexpr std::uint8_t kXlsXf[] = {0x43, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::uint8_t kXlsEof[] = {0x0A, 0x00, 0x00, 0x00};

// The system's reason inside an error of WriteFileAtomic, whose message reads
// `Cannot ... file "<path>". <reason>`.
std::string ReasonOf(const Error& e, const std::string& path) {
  const std::string marker = "\"" + path + "\". ";
  const auto at = e.message.find(marker);
  if (at == std::string::npos) return e.message;
  return e.message.substr(at + marker.size());
}

std::string Hex6(std::uint32_t rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
  return buf;
}

bool OnlyBlanksAndControls(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

}  // namespace

void XlsWriteLabel(ByteWriter& stream, std::uint16_t column, std::uint16_t row, std::string_view text) {
  const std::string_view cut = text.substr(0, std::min(text.size(), kXlsMaxLabelBytes));
  const auto len = static_cast<std::uint16_t>(cut.size());
  stream.U16Le(0x0204);
  stream.U16Le(static_cast<std::uint16_t>(8 + len));
  stream.U16Le(row);
  stream.U16Le(column);
  stream.U16Le(0);  // format index
  stream.U16Le(len);
  stream.Append(cut);
}

Result<Bytes> BuildXls(const TCellTable& table) {
  const std::int32_t cols = table.ColCount();
  const std::int32_t rows = table.RowCount();
  if (cols > kXlsMaxCols || rows > kXlsMaxRows) {
    return MakeError(ErrorCode::TooLarge, "Table of " + std::to_string(cols) + " x " + std::to_string(rows) +
                                              " cells does not fit a spreadsheet.");
  }
  ByteWriter w;
  w.Append(ByteSpan(kXlsBof));
  w.Append(ByteSpan(kXlsCodePage));
  w.Append(ByteSpan(kXlsFont));
  w.Append(ByteSpan(kXlsXf));
  for (std::int32_t c = 0; c < cols; ++c) {
    for (std::int32_t r = 0; r < rows; ++r) {
      const std::string* cell = table.CellPtr(c, r);
      XlsWriteLabel(w, static_cast<std::uint16_t>(c), static_cast<std::uint16_t>(r),
                    cell ? std::string_view(*cell) : std::string_view());
    }
  }
  w.Append(ByteSpan(kXlsEof));
  return w.Take();
}

std::string CsvCell(std::string_view text) {
  std::string s;
  s.reserve(text.size() + 2);
  for (char c : text) {
    s += c;
    if (c == '"') s += '"';
  }
  // A line break splits the row just as a comma splits the cell, so both get the enclosure.
  const bool enclose = s.find_first_of(",\r\n") != std::string::npos;
  if (!enclose && s.find('"') != std::string::npos) s = '"' + s + '"';
  if (s.empty()) s = "\"\"";
  if (enclose) {
    std::string t;
    t.reserve(s.size() + 2);
    t += '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
        t += '\x0B';
        ++i;
      } else {
        t += s[i];
      }
    }
    t += '"';
    s = std::move(t);
  }
  return s;
}

std::string BuildCsv(const TCellTable& table) {
  std::string out;
  for (std::int32_t r = 0; r < table.RowCount(); ++r) {
    for (std::int32_t c = 0; c < table.ColCount(); ++c) {
      if (c > 0) out += ',';
      const std::string* cell = table.CellPtr(c, r);
      out += CsvCell(cell ? std::string_view(*cell) : std::string_view());
    }
    out += "\r\n";
  }
  return out;
}

std::string HtmlCellContent(std::string_view text, bool titleRow) {
  if (titleRow ? text.empty() : OnlyBlanksAndControls(text)) return "<br>";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
        out += "<br>";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string BuildHtml(const TCellTable& table, const HtmlColours& colours) {
  const std::string text = "color: #" + Hex6(colours.windowText);
  const std::string title = "background-color: #" + Hex6(colours.header) + ";" + text +
                            ";font-size:10pt;font-weight: bold;font-family: Tahoma;vertical-align: top";
  const std::string data = "background-color: #" + Hex6(colours.window) + ";" + text +
                           ";font-size:9pt;font-family: Tahoma;vertical-align: top";
  std::string out = "<style>\r\n";
  // Styles are numbered in the order of first use: the title row, then the data rows.
  out += ".c0 {" + title + "}\r\n";
  if (table.RowCount() > 1) out += ".c1 {" + data + "}\r\n";
  out += "</style>\r\n";
  out += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"0\"  width=\"100%\">\r\n";
  for (std::int32_t r = 0; r < table.RowCount(); ++r) {
    out += "<tr>\r\n";
    const char* cls = r == 0 ? "0" : "1";
    for (std::int32_t c = 0; c < table.ColCount(); ++c) {
      const std::string* cell = table.CellPtr(c, r);
      out += "<td class=\"c";
      out += cls;
      out += "\" nowrap>";
      out += HtmlCellContent(cell ? std::string_view(*cell) : std::string_view(), r == 0);
      out += "</td>\r\n";
    }
    out += "</tr>\r\n";
  }
  out += "</table>\r\n\r\n";
  return out;
}

Status SaveGridToXls(const TCellTable& table, const std::string& systemPath) {
  auto bytes = BuildXls(table);
  if (!bytes) {
    return MakeError(bytes.error().code,
                     "Cannot create file \"" + systemPath + "\". " + bytes.error().message);
  }
  Status st = WriteFileAtomic(systemPath, *bytes);
  if (!st) {
    return MakeError(st.error().code,
                     "Cannot create file \"" + systemPath + "\". " + ReasonOf(st.error(), systemPath));
  }
  return Status::Ok();
}

Status SaveGridToCsv(const TCellTable& table, const std::string& systemPath) {
  Status st = WriteFileAtomic(systemPath, AsBytes(BuildCsv(table)));
  if (!st) return MakeError(st.error().code, "Cannot Create file " + systemPath);
  return Status::Ok();
}

Status SaveGridToHtml(const TCellTable& table, const std::string& systemPath, const HtmlColours& colours) {
  Status st = WriteFileAtomic(systemPath, AsBytes(BuildHtml(table, colours)));
  if (!st) return MakeError(st.error().code, "Cannot Create file " + systemPath);
  return Status::Ok();
}

std::string StatFileExtension(std::int32_t format) {
  switch (format) {
    case static_cast<std::int32_t>(StatSaveFormat::Xls):
      return ".xls";
    case static_cast<std::int32_t>(StatSaveFormat::Csv):
      return ".csv";
    case static_cast<std::int32_t>(StatSaveFormat::Html):
      return ".html";
    default:
      return "";
  }
}

std::string StatFileName(const RuntimeValues& rt, std::string_view kind, std::string_view stamp,
                         std::string_view extension) {
  std::string name = rt.UserName;
  name += "__";
  name += rt.HomeTeamAbbr;
  name += '-';
  name += rt.AwayTeamAbbr;
  name += '_';
  name += kind;
  name += "__";
  name += stamp;
  name += extension;
  return SafeFileName(name);
}

Result<std::vector<std::string>> SaveStat(MainWindowState& window, const RuntimeValues& rt, IRegistry& reg,
                                          IClock& clock) {
  struct Export {
    const TCellTable* table;
    const char* kind;
    LabelId label;
    const char* prefix;
  };
  const std::array<Export, 3> exports{{
      {&window.StatGrid, "teamstat", LabelId::Label4, "Team: "},
      {&window.PlayerStat, "playerstat", LabelId::Label7, "Player: "},
      {&window.SummaryGrid, "gamestat", LabelId::Label8, "Summary: "},
  }};

  const std::string stamp = FileTimeStamp(clock.Now());
  const std::int32_t format = ReadRegInteger(reg, "HCU", "Software\\Brevikon", "StatSaveFormat");
  const std::string extension = StatFileExtension(format);

  std::array<std::string, 3> names;
  std::vector<std::string> written;
  if (!extension.empty()) {
    for (std::size_t i = 0; i < exports.size(); ++i) {
      names[i] = StatFileName(rt, exports[i].kind, stamp, extension);
      const std::string path = JoinSystemPath(rt.LogFolder, names[i]);
      Status st;
      switch (static_cast<StatSaveFormat>(format)) {
        case StatSaveFormat::Xls:
          st = SaveGridToXls(*exports[i].table, path);
          break;
        case StatSaveFormat::Csv:
          st = SaveGridToCsv(*exports[i].table, path);
          break;
        case StatSaveFormat::Html:
          st = SaveGridToHtml(*exports[i].table, path);
          break;
      }
      if (!st) return st.error();
      written.push_back(path);
    }
  }
  for (std::size_t i = 0; i < exports.size(); ++i) {
    window.SetLabel(exports[i].label, exports[i].prefix + names[i]);
  }
  return written;
}

}  // namespace rw
