#pragma once
// TCellTable: a rectangle of single-byte text cells addressed by (column, row), with one
// display width per column, and its line-oriented cell stream format.
//
// Cells are stored sparsely: an empty cell costs nothing, so a crafted size line cannot make a
// table allocate per cell. Row 0 holds the column titles by convention; the type does not care.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/result.h"

namespace rw {

// A byte stream with a read position, as LoadCells consumes it. Several tables can be loaded
// one after another from the same stream.
struct CellStream {
  std::string data;
  std::size_t pos = 0;

  bool exhausted() const { return pos >= data.size(); }
};

class TCellTable {
 public:
  static constexpr std::int32_t kDefaultWidth = 64;
  // Bounds a size line may ask for; beyond them LoadCells fails with a conversion error
  // before anything changes.
  static constexpr std::int64_t kMaxCount = 65535;
  static constexpr std::int64_t kMaxCells = 1'000'000;

  TCellTable() = default;
  TCellTable(std::int32_t cols, std::int32_t rows) {
    ColCount(cols);
    RowCount(rows);
  }

  std::int32_t ColCount() const { return cols_; }
  std::int32_t RowCount() const { return rows_; }
  void ColCount(std::int32_t n);  // below 1 sets 1; cells outside the new rectangle are dropped
  void RowCount(std::int32_t n);

  std::string GetCell(std::int32_t col, std::int32_t row) const;
  const std::string* CellPtr(std::int32_t col, std::int32_t row) const;  // nullptr when empty
  void SetCell(std::int32_t col, std::int32_t row, std::string text);    // outside: ignored
  void ClearCells();  // empties every cell; counts and widths stay

  std::int32_t ColWidths(std::int32_t col) const;          // 0 for a column outside the table
  Status ColWidths(std::int32_t col, std::int32_t width);  // index error outside 0..ColCount-1

  // Appends the table in the cell stream format.
  void SaveCells(std::string& out) const;
  std::string SaveCells() const {
    std::string s;
    SaveCells(s);
    return s;
  }
  // Reads a cell stream from stream.pos on. A line that is neither a width nor a cell line
  // ends the load without error, leaving stream.pos at that line's start. A conversion or
  // index error ends it with that error; what was set before the failing line stays.
  Status LoadCells(CellStream& stream);

  bool operator==(const TCellTable& other) const {
    return cols_ == other.cols_ && rows_ == other.rows_ && widths_ == other.widths_ && cells_ == other.cells_;
  }

  // Number of non-empty cells.
  std::size_t StoredCells() const { return cells_.size(); }

 private:
  using Key = std::pair<std::int32_t, std::int32_t>;  // (row, col): iterates in stream order
  void Trim();

  std::int32_t cols_ = 1;
  std::int32_t rows_ = 1;
  std::vector<std::int32_t> widths_ = std::vector<std::int32_t>(1, kDefaultWidth);
  std::map<Key, std::string> cells_;
};

// Strict decimal conversion of the stream format: optional "-", digits, within int32.
Result<std::int32_t> StrToInt(std::string_view text);

}  // namespace rw
