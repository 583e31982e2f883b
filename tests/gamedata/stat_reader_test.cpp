#include "gamedata/stat_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gamelink/game_access.h"
#include "gamelink/memory_link.h"

namespace rw {
namespace {

using Row = std::vector<std::string>;

constexpr std::uint32_t kTeamStats = 0x00C00000;
constexpr std::uint32_t kTeamBlock = 0x00D00000;
constexpr std::uint32_t kPlayerStats = 0x00E00000;
constexpr std::uint32_t kEvents = 0x00F00000;

class StatReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(link.MapRegion(kTeamStats - 16, Bytes(256, 0)));
    ASSERT_TRUE(link.MapRegion(kTeamBlock, Bytes(2 * 1916, 0)));
    ASSERT_TRUE(link.MapRegion(kPlayerStats, Bytes(800, 0)));
    ASSERT_TRUE(link.MapRegion(kEvents, Bytes(64, 0)));
    addresses.TeamStatsAddress = kTeamStats;
    for (int t = 0; t < 2; ++t)
      for (int f = 0; f < kTeamStatFieldCount; ++f)
        addresses.TeamStatFields[static_cast<std::size_t>(t)][static_cast<std::size_t>(f)] =
            kTeamStats + 92u * static_cast<std::uint32_t>(t) +
            static_cast<std::uint32_t>(kTeamStatOffsets[static_cast<std::size_t>(f)]);
    addresses.TeamBlockAddress = kTeamBlock;
    addresses.PlayerStatsAddress = kPlayerStats;
    addresses.EventListAddress = kEvents;
    rt.HomeTeamAbbr = "DET";
    rt.AwayTeamAbbr = "COL";
    window.Subscribe([this](const WindowChange& c) {
      if (c.kind == WindowChange::Kind::Grid) changed.push_back(static_cast<GridId>(c.which));
    });
  }
  void Put(std::uint32_t address, const Bytes& b) { ASSERT_EQ(link.Write(address, b), b.size()); }
  void PutText(std::uint32_t address, const std::string& s) { Put(address, Bytes(s.begin(), s.end())); }
  static std::uint32_t FirstName(int team, int slot) {
    return kTeamBlock + 1916u * static_cast<std::uint32_t>(team) + 196u +
           84u * static_cast<std::uint32_t>(slot);
  }
  static std::uint32_t Record(int team, int slot) {
    return kPlayerStats + 400u * static_cast<std::uint32_t>(team) + 20u * static_cast<std::uint32_t>(slot);
  }
  Row RowOf(const TCellTable& t, int r) const {
    Row out;
    for (int c = 0; c < t.ColCount(); ++c) out.push_back(t.GetCell(c, r));
    return out;
  }
  void Read() { readstat(link, window, addresses, rt); }

  MemoryGameLink link;
  MainWindowState window;
  DataAddresses addresses;
  RuntimeValues rt;
  std::vector<GridId> changed;
};

TEST_F(StatReaderTest, TablesShapeHeadersAndAnnouncements) {
  window.PlayerStat.SetCell(12, 5, "stale id");
  Read();
  EXPECT_EQ(changed, (std::vector<GridId>{GridId::RulesGrid, GridId::StatGrid, GridId::PlayerStat,
                                          GridId::SummaryGrid}));
  EXPECT_EQ(window.RulesGrid.GetCell(0, 0), "Skill Level");
  EXPECT_EQ(window.SummaryGrid.GetCell(0, 0), "Period");

  const TCellTable& s = window.StatGrid;
  EXPECT_EQ(s.ColCount(), 17);
  EXPECT_EQ(s.RowCount(), 3);
  EXPECT_EQ(RowOf(s, 0),
            (Row{"", "Team", "Goal", "Shot", "SH goal", "Breakaway", "Onetimers", "Onetimer goal", "Faceoff",
                 "Hits", "Penalties", "EN goal", "GP1", "GP2", "GP3", "GOT", "PP"}));
  EXPECT_EQ(s.GetCell(0, 1), "Home");
  EXPECT_EQ(s.GetCell(0, 2), "Away");
  EXPECT_EQ(s.GetCell(1, 1), "DET");
  EXPECT_EQ(s.GetCell(1, 2), "COL");

  const TCellTable& p = window.PlayerStat;
  EXPECT_EQ(p.ColCount(), 13);
  EXPECT_EQ(p.RowCount(), 41);
  EXPECT_EQ(p.ColWidths(0), 100);
  EXPECT_EQ(RowOf(p, 0), (Row{"Player Name", "Team", "Pos", "Time", "Goal", "Asst", "PIMS", "+/-", "PPG/GA",
                              "SHG/ENG", "Shoot/SA", "Hits", "Player ID"}));
  for (int r = 1; r <= 40; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(p.GetCell(1, r), r <= 20 ? "DET" : "COL");
    const bool goalie = r == 19 || r == 20 || r == 39 || r == 40;
    EXPECT_EQ(p.GetCell(2, r), goalie ? "Goalie" : "Player");
    EXPECT_EQ(p.CellPtr(12, r), nullptr);
  }
}

TEST_F(StatReaderTest, TeamFieldsByColumn) {
  // Offset from the team's base -> StatGrid column, one byte each.
  const std::pair<int, int> fields[] = {{-2, 3}, {0, 2},  {6, 4},  {10, 11}, {14, 8},  {26, 10}, {32, 6},
                                        {36, 7}, {38, 5}, {46, 9}, {56, 12}, {57, 13}, {58, 14}, {59, 15}};
  // Neighbouring bytes of the one-byte fields must not leak into them.
  for (int off : {-1, 1, 7, 11, 15, 27, 33, 37, 39, 47})
    for (std::uint32_t base : {kTeamStats, kTeamStats + 92})
      Put(base + static_cast<std::uint32_t>(off), {0xFF});
  std::uint8_t v = 10;
  for (const auto& [off, col] : fields) {
    Put(kTeamStats + static_cast<std::uint32_t>(off), {v});
    Put(kTeamStats + 92 + static_cast<std::uint32_t>(off), {static_cast<std::uint8_t>(v + 100)});
    ++v;
  }
  Put(kTeamStats + 20, {2, 0});
  Put(kTeamStats + 18, {5, 0});
  Put(kTeamStats + 92 + 20, {0x2C, 0x01});
  Put(kTeamStats + 92 + 18, {0x01, 0x01});
  Read();
  v = 10;
  for (const auto& [off, col] : fields) {
    SCOPED_TRACE(off);
    EXPECT_EQ(window.StatGrid.GetCell(col, 1), std::to_string(v));
    EXPECT_EQ(window.StatGrid.GetCell(col, 2), std::to_string(v + 100));
    ++v;
  }
  EXPECT_EQ(window.StatGrid.GetCell(16, 1), "2/5");
  EXPECT_EQ(window.StatGrid.GetCell(16, 2), "300/257");
}

struct PlayerCase {
  const char* what;
  int team, slot, row;
  Bytes record;  // 20 bytes
  Row cols3to11;
};

TEST_F(StatReaderTest, PlayerRecords) {
  constexpr std::uint8_t X = 0xEE;  // bytes the row does not use
  const PlayerCase cases[] = {
      {"skater, minus one",
       0,
       0,
       1,
       {0x62, 0x02, 3, 4, 6, 255, 1, 2, X, X, X, X, 0x2C, 9, X, X, X, X, X, X},
       {"10:10", "3", "4", "6", "-1", "1", "2", "44", "9"}},
      {"skater, minus 128",
       0,
       17,
       18,
       {59, 0, 0, 0, 0, 128, 0, 0, X, X, X, X, 0, 0, X, X, X, X, X, X},
       {"00:59", "0", "0", "0", "-128", "0", "0", "0", "0"}},
      {"skater, plus 127",
       1,
       0,
       21,
       {0, 0, 255, 255, 255, 127, 255, 255, X, X, X, X, 255, 255, X, X, X, X, X, X},
       {"00:00", "255", "255", "255", "127", "255", "255", "255", "255"}},
      {"skater, away slot 17",
       1,
       17,
       38,
       {0x10, 0x0E, 1, 0, 2, 0, 0, 0, X, X, X, X, 0, 0, X, X, X, X, X, X},
       {"60:00", "1", "0", "2", "0", "0", "0", "0", "0"}},
      {"goalie, 300 shots against",
       0,
       18,
       19,
       {0x10, 0x0E, 0x2C, 0x01, X, 1, 4, 1, X, X, 2, X, X, X, X, X, X, X, X, X},
       {"60:00", "-", "1", "2", "-", "4", "1", "300", "-"}},
      {"goalie, home slot 19",
       0,
       19,
       20,
       {5, 0, 0, 0, X, 0, 0, 0, X, X, 0, X, X, X, X, X, X, X, X, X},
       {"00:05", "-", "0", "0", "-", "0", "0", "0", "-"}},
      {"goalie, away slot 18",
       1,
       18,
       39,
       {0, 1, 0xFF, 0xFF, X, 255, 9, 2, X, X, 4, X, X, X, X, X, X, X, X, X},
       {"04:16", "-", "255", "4", "-", "9", "2", "65535", "-"}},
      {"goalie, away slot 19",
       1,
       19,
       40,
       {0, 0, 30, 0, X, 0, 1, 0, X, X, 0, X, X, X, X, X, X, X, X, X},
       {"00:00", "-", "0", "0", "-", "1", "0", "30", "-"}},
  };
  for (const PlayerCase& c : cases) Put(Record(c.team, c.slot), c.record);
  Read();
  for (const PlayerCase& c : cases) {
    SCOPED_TRACE(c.what);
    Row got = RowOf(window.PlayerStat, c.row);
    EXPECT_EQ(Row(got.begin() + 3, got.begin() + 12), c.cols3to11);
  }
}

TEST_F(StatReaderTest, NamesAndTheirHandOverToTheSummary) {
  PutText(FirstName(0, 0), "Wayne");
  PutText(FirstName(0, 0) + 16, "Gretzky");
  PutText(FirstName(0, 3) + 16, std::string("Orr\0Bobby", 9));  // text ends at the first NUL
  PutText(FirstName(1, 19), "ABCDEFGHIJKLMNOP");                // full 16 bytes, no NUL
  PutText(FirstName(1, 19) + 16, "QRSTUVWXYZabcdef");
  PutText(FirstName(1, 19) + 32, "following bytes");
  PutText(FirstName(1, 5), "Peter");
  // Home goal by slot 0, assisted by slots 3 and 1; away penalty by slot 19.
  Put(kEvents, {10, 0, 0, 0x20, 0, 0, 3, 1, 9, 0, 1, 0x80, 1, 19, 15, 0});
  Read();
  const TCellTable& p = window.PlayerStat;
  EXPECT_EQ(p.GetCell(0, 1), "Gretzky Wayne");
  EXPECT_EQ(p.GetCell(0, 2), " ");
  EXPECT_EQ(p.GetCell(0, 4), "Orr ");
  EXPECT_EQ(p.GetCell(0, 40), "QRSTUVWXYZabcdef ABCDEFGHIJKLMNOP");
  EXPECT_EQ(p.GetCell(0, 26), " Peter");

  const TCellTable& s = window.SummaryGrid;
  EXPECT_EQ(s.RowCount(), 3);
  EXPECT_EQ(RowOf(s, 1), (Row{"1", "10:00", "GOAL (1:0)", "DET", "Gretzky Wayne", "Orr ,  "}));
  EXPECT_EQ(RowOf(s, 2),
            (Row{"2", "11:00", "PEN", "COL", "QRSTUVWXYZabcdef ABCDEFGHIJKLMNOP", "Hooking (Minor)"}));
}

TEST_F(StatReaderTest, UnreadableValuesShowZeros) {
  Put(Record(0, 0), {0x62, 0x02, 3, 4, 6, 255, 1, 2});
  Put(kTeamStats, {7});
  PutText(FirstName(0, 0), "Wayne");
  Put(kEvents, {10, 0, 0, 0x20, 0, 0, 255, 255});
  const Row skater = {" ", "DET", "Player", "00:00", "0", "0", "0", "0", "0", "0", "0", "0", ""};
  const Row goalie = {" ", "COL", "Goalie", "00:00", "-", "0", "0", "-", "0", "0", "0", "-", ""};
  auto expectZeros = [&] {
    EXPECT_EQ(RowOf(window.PlayerStat, 1), skater);
    EXPECT_EQ(RowOf(window.PlayerStat, 40), goalie);
    EXPECT_EQ(RowOf(window.StatGrid, 1), (Row{"Home", "DET", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0",
                                              "0", "0", "0", "0", "0/0"}));
    EXPECT_EQ(window.RulesGrid.GetCell(0, 1), "Beginner");
    EXPECT_EQ(window.SummaryGrid.RowCount(), 2);
    EXPECT_EQ(RowOf(window.SummaryGrid, 1), Row(6, ""));
  };
  {
    SCOPED_TRACE("game absent");
    link.windowPresent = false;
    Read();
    expectZeros();
    EXPECT_EQ(window.Panel(1), kStatusNotRunning);
  }
  {
    SCOPED_TRACE("game running, nothing at the addresses");
    link.windowPresent = true;
    DataAddresses present = addresses;
    addresses = DataAddresses{};
    Read();
    expectZeros();
    EXPECT_EQ(window.Panel(1), kStatusRunning);
    addresses = present;
  }
  {
    SCOPED_TRACE("away record past the top of the address space");
    // The away team's first slot would wrap around to 0x440: it is not read there.
    ASSERT_TRUE(link.MapRegion(0x400, Bytes(0x100, 0)));
    PutText(0x440, "Wrapped");
    PutText(0x440 + 16, "Around");
    addresses.TeamBlockAddress = 0xFFFFFC00u;
    Read();
    EXPECT_EQ(window.PlayerStat.GetCell(0, 21), " ");
  }
}

}  // namespace
}  // namespace rw
