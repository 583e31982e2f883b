#pragma once
// Small builders shared by the log tests: tables from literal rows, log contents from tables,
// and raw file access for crafting and inspecting log bytes.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/datetime.h"
#include "logs/log_writer.h"
#include "monitor/cell_table.h"

namespace rw::test {

// Row 0 holds the titles; every row has the same number of cells.
inline TCellTable MakeTable(std::initializer_list<std::vector<std::string>> rows) {
  const auto cols = static_cast<std::int32_t>(rows.begin()->size());
  TCellTable t(cols, static_cast<std::int32_t>(rows.size()));
  std::int32_t r = 0;
  for (const auto& row : rows) {
    for (std::int32_t c = 0; c < cols; ++c) t.SetCell(c, r, row[static_cast<std::size_t>(c)]);
    ++r;
  }
  return t;
}

using FiveTables = std::array<TCellTable, kLogTableCount>;

// A small but complete game: rosters (4 columns, so the load-log command can hide column 3),
// player statistics, team statistics, summary and rules.
inline FiveTables SampleTables() {
  FiveTables t{
      MakeTable(
          {{"Name", "Pos", "Team", "ID"}, {"Ovechkin", "LW", "WSH", "101"}, {"Crosby", "C", "PIT", "87"}}),
      MakeTable({{"Player", "G", "A"}, {"Ovechkin", "2", "1"}, {"Crosby", "1", "0"}}),
      MakeTable({{"Team", "Shots"}, {"WSH", "31"}, {"PIT", "28"}}),
      MakeTable({{"Period", "Event"}, {"1", "Goal, WSH"}}),
      MakeTable({{"Skill Level", "Injury"}, {"Medium", "Off"}}),
  };
  EXPECT_TRUE(t[1].ColWidths(0, 120));
  return t;
}

inline std::array<std::string, kLogTableCount> StreamsOf(const FiveTables& tables) {
  std::array<std::string, kLogTableCount> s;
  for (std::size_t k = 0; k < s.size(); ++k) tables[k].SaveCells(s[k]);
  return s;
}

inline LogContents ContentsFor(const std::string& user, const std::string& logName, const FiveTables& tables,
                               LocalDateTime writtenAt = {2007, 3, 5, 21, 14, 34},
                               LocalDateTime gameEndAt = {2007, 3, 5, 21, 14, 31}) {
  LogContents c;
  c.Version = kLogFormatVersion;
  c.WrittenAt = ToOleDate(writtenAt);
  c.GameEndAt = ToOleDate(gameEndAt);
  c.User = user;
  c.HomeAbbr = "WSH";
  c.AwayAbbr = "PIT";
  c.LogName = logName;
  c.Streams = StreamsOf(tables);
  return c;
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

inline Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes BuildOrDie(const LogContents& c) {
  auto bytes = BuildLogBytes(c);
  EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().Describe());
  return bytes.ok() ? *bytes : Bytes();
}

// A table that holds exactly what the reader's step 1 leaves: 1 column, 2 rows, no text.
inline bool IsEmptied(const TCellTable& t) {
  return t.ColCount() == 1 && t.RowCount() == 2 && t.StoredCells() == 0;
}

}  // namespace rw::test
