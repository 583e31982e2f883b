#include "monitor/cell_table.h"

#include <algorithm>
#include <limits>

namespace rw {
namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kTab = '\t';
constexpr char kBS = '\b';

Error ConversionError(std::string_view text) {
  return MakeError(ErrorCode::Conversion, "'" + std::string(text) + "' is not a valid integer value");
}

// One line: bytes up to a CR (not included); the byte after the CR is taken too, whatever it is.
std::string_view ReadLine(CellStream& s) {
  const std::size_t start = s.pos;
  const std::size_t cr = s.data.find(kCR, start);
  if (cr == std::string::npos) {
    s.pos = s.data.size();
    return std::string_view(s.data).substr(start);
  }
  s.pos = std::min(cr + 2, s.data.size());
  return std::string_view(s.data).substr(start, cr - start);
}

}  // namespace

Result<std::int32_t> StrToInt(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == text.size()) return ConversionError(text);
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return ConversionError(text);
    value = value * 10 + (c - '0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1)
      return ConversionError(text);
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min()) {
    return ConversionError(text);
  }
  return static_cast<std::int32_t>(value);
}

void TCellTable::ColCount(std::int32_t n) {
  const std::int32_t old = cols_;
  cols_ = std::max<std::int32_t>(n, 1);
  widths_.resize(static_cast<std::size_t>(cols_), kDefaultWidth);
  if (cols_ < old) Trim();
}

void TCellTable::RowCount(std::int32_t n) {
  const std::int32_t old = rows_;
  rows_ = std::max<std::int32_t>(n, 1);
  if (rows_ < old) Trim();
}

void TCellTable::Trim() {
  for (auto it = cells_.begin(); it != cells_.end();) {
    if (it->first.first >= rows_ || it->first.second >= cols_) {
      it = cells_.erase(it);
    } else {
      ++it;
    }
  }
}

std::string TCellTable::GetCell(std::int32_t col, std::int32_t row) const {
  const std::string* p = CellPtr(col, row);
  return p ? *p : std::string();
}

const std::string* TCellTable::CellPtr(std::int32_t col, std::int32_t row) const {
  const auto it = cells_.find(Key{row, col});
  return it == cells_.end() ? nullptr : &it->second;
}

void TCellTable::SetCell(std::int32_t col, std::int32_t row, std::string text) {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
  if (text.empty()) {
    cells_.erase(Key{row, col});
  } else {
    cells_[Key{row, col}] = std::move(text);
  }
}

void TCellTable::ClearCells() {
  cells_.clear();
}

std::int32_t TCellTable::ColWidths(std::int32_t col) const {
  if (col < 0 || col >= cols_) return 0;
  return widths_[static_cast<std::size_t>(col)];
}

Status TCellTable::ColWidths(std::int32_t col, std::int32_t width) {
  if (col < 0 || col >= cols_) {
    return MakeError(ErrorCode::Index, "Column index " + std::to_string(col) + " out of bounds");
  }
  widths_[static_cast<std::size_t>(col)] = width;
  return Status::Ok();
}

void TCellTable::SaveCells(std::string& out) const {
  out += std::to_string(cols_);
  out += ',';
  out += std::to_string(rows_);
  out += "\r\n";
  for (std::int32_t c = 0; c < cols_; ++c) {
    out += "cw ";
    out += std::to_string(c);
    out += ',';
    out += std::to_string(widths_[static_cast<std::size_t>(c)]);
    out += "\r\n";
  }
  for (const auto& [key, text] : cells_) {
    out += std::to_string(key.second);
    out += ',';
    out += std::to_string(key.first);
    out += ',';
    if (text.find(kCR) != std::string::npos) {
      for (char ch : text) out += ch == kCR ? kTab : ch == kLF ? kBS : ch;
    } else {
      out += text;
    }
    out += "\r\n";
  }
}

Status TCellTable::LoadCells(CellStream& stream) {
  if (!stream.exhausted()) {
    const std::string_view line = ReadLine(stream);
    if (!line.empty()) {
      const auto comma = line.find(',');
      const std::string_view colText = line.substr(0, comma);
      const std::string_view rowText =
          comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
      auto cols = StrToInt(colText);
      if (!cols) return cols.error();
      auto rows = StrToInt(rowText);
      if (!rows) return rows.error();
      const std::int64_t c = std::max<std::int64_t>(*cols, 1);
      const std::int64_t r = std::max<std::int64_t>(*rows, 1);
      if (c > kMaxCount || r > kMaxCount || c * r > kMaxCells) {
        return MakeError(ErrorCode::Conversion, "'" + std::string(line) + "' is not a valid table size");
      }
      ColCount(*cols);
      RowCount(*rows);
    }
  }
  while (!stream.exhausted()) {
    const std::size_t lineStart = stream.pos;
    const std::string_view line = ReadLine(stream);
    if (line.substr(0, 2) == "cw") {
      const std::string_view rest = line.size() > 3 ? line.substr(3) : std::string_view();
      const auto comma = rest.find(',');
      auto col = StrToInt(rest.substr(0, comma));
      if (!col) return col.error();
      auto width = StrToInt(comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1));
      if (!width) return width.error();
      if (Status st = ColWidths(*col, *width); !st) return st;
      continue;
    }
    const auto c1 = line.find(',');
    const std::string_view colText = c1 == std::string_view::npos ? std::string_view() : line.substr(0, c1);
    if (colText.empty()) {
      stream.pos = lineStart;
      return Status::Ok();
    }
    auto col = StrToInt(colText);
    if (!col) return col.error();
    const std::string_view afterCol = line.substr(c1 + 1);
    const auto c2 = afterCol.find(',');
    const std::string_view rowText =
        c2 == std::string_view::npos ? std::string_view() : afterCol.substr(0, c2);
    if (rowText.empty()) {
      stream.pos = lineStart;
      return Status::Ok();
    }
    auto row = StrToInt(rowText);
    if (!row) return row.error();
    std::string text(afterCol.substr(c2 + 1));
    if (text.find(kBS) != std::string::npos) {
      for (char& ch : text) {
        if (ch == kTab)
          ch = kCR;
        else if (ch == kBS)
          ch = kLF;
      }
    }
    if (const auto cr = text.find(kCR); cr != std::string::npos) text.resize(cr);
    SetCell(*col, *row, std::move(text));  // a cell outside the rectangle is skipped
  }
  return Status::Ok();
}

}  // namespace rw
