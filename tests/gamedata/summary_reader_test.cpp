#include "gamedata/summary_reader.h"

#include <gtest/gtest.h>

#include "support/counting_link.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gamelink/memory_link.h"

namespace rw {
namespace {

constexpr std::uint32_t kEvents = 0x00B40000;

using Record = std::array<std::uint8_t, 8>;  // minutes, seconds, period, kind, team, player, a1/code, a2
using Row = std::vector<std::string>;

using test::CountingLink;

class SummaryReaderTest : public ::testing::Test {
 protected:
  SummaryReaderTest() {
    for (std::size_t j = 0; j < 20; ++j) {
      names[0][j] = "H" + std::to_string(j);
      names[1][j] = "A" + std::to_string(j);
    }
    addresses.EventListAddress = kEvents;
  }
  // Maps the records as the event list (replacing an earlier one), without an end record
  // unless the caller lists it.
  void MapList(const std::vector<Record>& records) {
    link.Clear();
    Bytes b;
    for (const Record& r : records) b.insert(b.end(), r.begin(), r.end());
    ASSERT_TRUE(link.MapRegion(kEvents, b));
  }
  void Read() { readsummary(link, addresses, "HOM", "AWY", names, grid); }
  Row RowAt(int r) const {
    Row out;
    for (int c = 0; c < 6; ++c) out.push_back(grid.GetCell(c, r));
    return out;
  }

  CountingLink link;
  DataAddresses addresses;
  PlayerNameTable names;
  TCellTable grid{9, 9};
};

constexpr Record kEnd = {0, 0, 0, 0, 0, 0, 0, 0};

TEST_F(SummaryReaderTest, EmptyListLeavesHeaderAndOneEmptyRow) {
  grid.SetCell(3, 5, "stale");
  MapList({kEnd, {12, 30, 0, 0x20, 0, 1, 255, 255}});
  Read();
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(RowAt(0), (Row{"Period", "Time", "Goal/Penalty", "Team", "Player Name", "Note"}));
  EXPECT_EQ(RowAt(1), Row(6));
  EXPECT_EQ(grid.ColWidths(4), 100);
  EXPECT_EQ(grid.ColWidths(5), 100);
  EXPECT_EQ(grid.StoredCells(), 6u);
  EXPECT_EQ(link.opens, 1);
}

struct EventCase {
  const char* what;
  Record record;
  Row row;
};

TEST_F(SummaryReaderTest, OneEventRow) {
  const EventCase cases[] = {
      {"first period goal",
       {12, 30, 0, 0x20, 0, 3, 255, 7},
       {"1", "07:30", "GOAL (1:0)", "HOM", "H3", "Unassisted"}},
      {"second period", {20, 0, 1, 0x21, 1, 0, 4, 255}, {"2", "00:00", "PPG (0:1)", "AWY", "A0", "A4"}},
      {"third period", {0, 1, 2, 0x22, 0, 19, 18, 2}, {"3", "19:59", "SHG (1:0)", "HOM", "H19", "H18, H2"}},
      {"first overtime", {4, 0, 3, 0x24, 1, 2, 4, 5}, {"1OT", "01:00", "ENG (0:1)", "AWY", "A2", "A4, A5"}},
      {"later overtimes",
       {0, 0, 254, 0x25, 0, 0, 255, 255},
       {"252OT", "05:00", "PPG (1:0)", "HOM", "H0", "Unassisted"}},
      {"shootout has no time but counts",
       {3, 3, 255, 0x20, 1, 7, 255, 255},
       {"Shootout", "", "GOAL (0:1)", "AWY", "A7", "Unassisted"}},
      {"unassisted whatever assist 2 holds",
       {10, 0, 0, 0x20, 0, 1, 255, 4},
       {"1", "10:00", "GOAL (1:0)", "HOM", "H1", "Unassisted"}},
      {"player byte 25 is slot 5",
       {10, 0, 0, 0x80, 0, 25, 15, 0},
       {"1", "10:00", "PEN", "HOM", "H5", "Hooking (Minor)"}},
      {"player byte 255 is slot 15",
       {10, 0, 0, 0x80, 1, 255, 1, 0},
       {"1", "10:00", "PEN", "AWY", "A15", "Abuse of official (Minor)"}},
      {"double minor",
       {10, 0, 0, 0x80, 0, 1, 47, 0},
       {"1", "10:00", "PEN", "HOM", "H1", "Hooking (Double Minor)"}},
      {"major", {10, 0, 0, 0x80, 0, 1, 79, 0}, {"1", "10:00", "PEN", "HOM", "H1", "Hooking (Major)"}},
      {"last infractions",
       {10, 0, 0, 0x80, 0, 1, 23, 0},
       {"1", "10:00", "PEN", "HOM", "H1", "Tripping (Minor)"}},
      {"last double minor",
       {10, 0, 0, 0x80, 0, 1, 55, 0},
       {"1", "10:00", "PEN", "HOM", "H1", "Tripping (Double Minor)"}},
      {"first and last major",
       {10, 0, 0, 0x80, 0, 1, 87, 0},
       {"1", "10:00", "PEN", "HOM", "H1", "Tripping (Major)"}},
      {"first major",
       {10, 0, 0, 0x80, 0, 1, 65, 0},
       {"1", "10:00", "PEN", "HOM", "H1", "Abuse of official (Major)"}},
      {"game misconduct",
       {10, 0, 0, 0x80, 0, 1, 128, 0},
       {"1", "10:00", "PEN", "HOM", "H1", "Game misconduct"}},
      {"code 24", {10, 0, 0, 0x80, 0, 1, 24, 0}, {"1", "10:00", "PEN", "HOM", "H1", "UnkwnPlt#18"}},
      {"code 0", {10, 0, 0, 0x80, 0, 1, 0, 0}, {"1", "10:00", "PEN", "HOM", "H1", "UnkwnPlt#00"}},
      {"code 32", {10, 0, 0, 0x80, 0, 1, 32, 0}, {"1", "10:00", "PEN", "HOM", "H1", "UnkwnPlt#20"}},
      {"code 56", {10, 0, 0, 0x80, 0, 1, 56, 0}, {"1", "10:00", "PEN", "HOM", "H1", "UnkwnPlt#38"}},
      {"code 88", {10, 0, 0, 0x80, 0, 1, 88, 0}, {"1", "10:00", "PEN", "HOM", "H1", "UnkwnPlt#58"}},
      {"code 255", {10, 0, 0, 0x80, 0, 1, 255, 0}, {"1", "10:00", "PEN", "HOM", "H1", "UnkwnPlt#FF"}},
      {"unknown kind 0x23", {8, 15, 1, 0x23, 1, 9, 3, 4}, {"2", "11:45", "Unkwn#23", "AWY", "A9", ""}},
      {"unknown kind 0xFF", {8, 15, 0, 0xFF, 0, 9, 3, 4}, {"1", "11:45", "Unkwn#FF", "HOM", "H9", ""}},
      // No name exists for these: the cells stay empty rather than reading past the table.
      {"team byte 2", {5, 0, 0, 0x20, 2, 3, 1, 2}, {"1", "15:00", "GOAL (0:0)", "", "", ""}},
      {"team byte 255 penalty",
       {5, 0, 0, 0x80, 255, 3, 15, 0},
       {"1", "15:00", "PEN", "", "", "Hooking (Minor)"}},
      {"assist 1 slot 20", {5, 0, 0, 0x20, 0, 3, 20, 255}, {"1", "15:00", "GOAL (1:0)", "HOM", "H3", ""}},
      {"assist 2 slot 254", {5, 0, 0, 0x20, 1, 3, 6, 254}, {"1", "15:00", "GOAL (0:1)", "AWY", "A3", "A6"}},
      {"assist 1 slot 100, assist 2 valid",
       {5, 0, 0, 0x20, 0, 3, 100, 6},
       {"1", "15:00", "GOAL (1:0)", "HOM", "H3", "H6"}},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.what);
    MapList({c.record, kEnd});
    Read();
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(RowAt(1), c.row);
  }
}

TEST_F(SummaryReaderTest, RunningScoreSkippedRecordsAndOrder) {
  MapList({
      {15, 0, 0, 0x20, 0, 1, 2, 3},   // home goal
      {14, 0, 0, 0x40, 1, 1, 0, 0},   // skipped, takes no row
      {13, 0, 0, 0x80, 1, 4, 15, 0},  // penalties leave the score alone
      {12, 0, 0, 0x22, 1, 5, 255, 255},
      {11, 0, 0, 0x40, 0, 0, 0, 0},
      {10, 0, 0, 0x23, 0, 0, 0, 0},  // unknown kinds do not count either
      {9, 0, 2, 0x21, 0, 6, 7, 255},
      kEnd,
      {8, 0, 0, 0x20, 0, 1, 255, 255},  // after the end: never shown
  });
  Read();
  ASSERT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(grid.GetCell(2, 1), "GOAL (1:0)");
  EXPECT_EQ(grid.GetCell(2, 2), "PEN");
  EXPECT_EQ(grid.GetCell(4, 2), "A4");
  EXPECT_EQ(grid.GetCell(2, 3), "SHG (1:1)");
  EXPECT_EQ(grid.GetCell(2, 4), "Unkwn#23");
  EXPECT_EQ(grid.GetCell(2, 5), "PPG (2:1)");
  EXPECT_EQ(grid.GetCell(0, 5), "3");
  EXPECT_EQ(grid.GetCell(1, 5), "11:00");

  // A second call starts afresh: fewer rows, the score from zero again.
  MapList({{15, 0, 0, 0x20, 1, 1, 2, 3}, kEnd});
  Read();
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(RowAt(1), (Row{"1", "05:00", "GOAL (0:1)", "AWY", "A1", "A2, A3"}));
  EXPECT_EQ(grid.StoredCells(), 12u);
}

TEST_F(SummaryReaderTest, ListWithoutEndStopsWhereReadingFails) {
  {
    SCOPED_TRACE("last record cut short by the end of the mapping");
    Bytes b;
    for (int i = 0; i < 3; ++i) b.insert(b.end(), {10, 0, 0, 0x80, 0, 1, 15, 0});
    b.insert(b.end(), {10, 0, 0, 0x20, 0});
    link.Clear();
    ASSERT_TRUE(link.MapRegion(kEvents, b));
    Read();
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.GetCell(2, 3), "PEN");
  }
  {
    SCOPED_TRACE("list at the top of the address space");
    link.Clear();
    Bytes b;
    for (int i = 0; i < 2; ++i) b.insert(b.end(), {10, 0, 0, 0x20, 0, 1, 255, 255});
    ASSERT_TRUE(link.MapRegion(0xFFFFFFF0u, b));
    DataAddresses top;
    top.EventListAddress = 0xFFFFFFF0u;
    readsummary(link, top, "HOM", "AWY", names, grid);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.GetCell(2, 2), "GOAL (2:0)");
  }
  {
    SCOPED_TRACE("game absent");
    MapList({{10, 0, 0, 0x20, 0, 1, 255, 255}, kEnd});
    link.windowPresent = false;
    Read();
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(RowAt(1), Row(6));
    EXPECT_EQ(RowAt(0)[0], "Period");
  }
}

TEST_F(SummaryReaderTest, ListWithoutEndStopsAtTheCap) {
  std::vector<Record> many(kMaxEventRecords + 50, Record{10, 0, 0, 0x80, 0, 1, 15, 0});
  many[kMaxEventRecords - 1] = Record{10, 0, 0, 0x20, 1, 2, 255, 255};
  many[kMaxEventRecords] = Record{10, 0, 0, 0x20, 0, 2, 255, 255};
  MapList(many);
  Read();
  EXPECT_EQ(grid.RowCount(), static_cast<std::int32_t>(kMaxEventRecords) + 1);
  EXPECT_EQ(grid.GetCell(2, static_cast<std::int32_t>(kMaxEventRecords)), "GOAL (0:1)");

  // Skipped records count against the cap too: memory full of them ends the same way.
  MapList(std::vector<Record>(kMaxEventRecords + 1, Record{0, 0, 0, 0x40, 0, 0, 0, 0}));
  Read();
  EXPECT_EQ(grid.RowCount(), 2);
}

}  // namespace
}  // namespace rw
