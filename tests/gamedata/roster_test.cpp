#include "gamedata/roster_reader.h"

#include <gtest/gtest.h>

#include "common/files.h"
#include "gamedata/viv.h"
#include "gamelink/memory_link.h"
#include "sim/roster_fixture.h"
#include "support/fakes.h"

namespace rw {
namespace {

using sim::RosterPlayerRow;
using sim::RosterTeamRow;

// A roster run over files written into a temporary folder.
struct RosterRun {
  test::TempDir dir;
  RuntimeValues rt;
  MemoryRegistry registry;
  test::FakeLocale locale;
  MainWindowState window;
  std::string documents;

  RosterRun() {
    rt.TempFolder = dir.str() + "\\temp\\";
    rt.RosterArchivePath = dir.str() + "\\game\\db\\db.viv";
    documents = dir.str() + "\\docs";
    CreateFolder(dir.str() + "\\temp");
    CreateFolder(dir.str() + "\\game");
    CreateFolder(dir.str() + "\\game\\db");
    CreateFolder(documents);
    CreateFolder(documents + "\\NHL07");
    sim::WriteDocumentsFolderValue(registry, documents);
  }
  void WriteRoster(const std::vector<RosterTeamRow>& teams, const std::vector<RosterPlayerRow>& players) {
    auto db = sim::BuildRosterDatabase(teams, players);
    ASSERT_TRUE(db.ok()) << db.error().Describe();
    auto archive = WriteViv({{kRosterMember, *WriteTdb(*db), true}});
    ASSERT_TRUE(WriteFileAtomic(rt.RosterArchivePath, *archive).ok());
  }
  void WriteExhibition(const std::vector<RosterPlayerRow>& players) {
    auto db = sim::BuildRosterDatabase({}, players);
    ASSERT_TRUE(db.ok()) << db.error().Describe();
    ASSERT_TRUE(WriteFileAtomic(documents + "\\NHL07\\exhibition.exh", *WriteTdb(*db)).ok());
  }
  void SetStatNames(const std::vector<std::string>& names) {
    window.PlayerStat.ColCount(13);
    window.PlayerStat.RowCount(static_cast<std::int32_t>(names.size()) + 1);
    for (std::size_t i = 0; i < names.size(); ++i)
      window.PlayerStat.SetCell(0, static_cast<std::int32_t>(i + 1), names[i]);
  }
  void Run() { ReadRosters(window, rt, registry, locale); }
  const TCellTable& Grid() const { return window.PlayerGrid; }
};

RosterPlayerRow Player(std::int64_t team, std::int64_t id, std::string first, std::string last) {
  RosterPlayerRow p;
  p.Team = team;
  p.PlayerId = id;
  p.RosterIndex = id + 500;
  p.FirstName = std::move(first);
  p.LastName = std::move(last);
  p.RatingBase = id;
  return p;
}

const std::vector<RosterTeamRow> kTeams = {
    {7, "BOS", "", "Boston"}, {12, "TOR", "", "Toronto"}, {0, "ANA", "", "Anaheim"}};

TEST(Roster, FeetAndInches) {
  const struct {
    std::int64_t inches;
    const char* text;
  } cases[] = {{74, "6'2\""}, {0, "0'0\""}, {12, "1'0\""}, {71, "5'11\""}, {-14, "-1'-2\""}};
  for (const auto& c : cases) EXPECT_EQ(inttoftinc(c.inches), c.text) << c.inches;
}

TEST(Roster, OneDecimalInGeneralFormat) {
  const struct {
    double value;
    char sep;
    const char* text;
  } cases[] = {{74 * 2.54, '.', "188"},
               {200 * 0.4536, '.', "90.7"},
               {200 * 0.4536, ',', "90,7"},
               {188 * 2.54, '.', "477.5"},
               {0.0, '.', "0"},
               {-3 * 2.54, '.', "-7.6"},
               {150 * 0.4536, '.', "68"}};
  for (const auto& c : cases) EXPECT_EQ(OneDecimalText(c.value, c.sep), c.text) << c.value;
}

struct Cell {
  std::int32_t col, row;
  std::string text;
};

struct EdgeCase {
  const char* what;
  std::string home, away;
  std::vector<RosterTeamRow> teams;
  std::vector<RosterPlayerRow> roster, exhibition;
  std::vector<std::string> statNames;
  std::int32_t gridRows;
  std::vector<Cell> grid;
  std::vector<std::string> statIds;  // column 12 of PlayerStat, rows 1..
};

std::vector<EdgeCase> EdgeCases() {
  std::vector<EdgeCase> cases;
  const auto duck = Player(0, 10, "Ana", "Duck"), bruin = Player(7, 11, "Bos", "Bruin"),
             leaf = Player(12, 12, "Tor", "Leaf");
  cases.push_back({"unknown abbreviation takes team index 0",
                   "XXX",
                   "TOR",
                   kTeams,
                   {duck, bruin, leaf},
                   {},
                   {"Duck Ana", "Bruin Bos", "Leaf Tor"},
                   3,
                   {{0, 1, "Duck Ana"}, {1, 1, "XXX"}, {0, 2, "Leaf Tor"}, {1, 2, "TOR"}, {28, 2, "12"}},
                   {"10", "", "12"}});
  std::vector<RosterTeamRow> alt = kTeams;
  alt[0].AltAbbr = "BBB";
  auto bruin2 = Player(7, 13, "Second", "Bruin");
  cases.push_back({"equal home and away indexes give the home abbreviation",
                   "BOS",
                   "BBB",
                   alt,
                   {bruin, bruin2},
                   {},
                   {"Bruin Second", "Bruin Bos"},
                   3,
                   {{1, 1, "BOS"}, {1, 2, "BOS"}, {0, 1, "Bruin Second"}},
                   {"13", "11"}});
  cases.push_back({"rows without a match leave no gap",
                   "BOS",
                   "TOR",
                   kTeams,
                   {bruin, leaf},
                   {},
                   {"Nobody Here", "Bruin Bos", "", "Leaf Tor"},
                   3,
                   {{0, 1, "Bruin Bos"}, {0, 2, "Leaf Tor"}},
                   {"", "11", "", "12"}});
  auto twinA = Player(7, 20, "Tom", "Twin"), twinB = Player(7, 21, "Tom", "Twin");
  cases.push_back({"equal names take the first entry",
                   "BOS",
                   "TOR",
                   kTeams,
                   {twinA, twinB},
                   {},
                   {"Twin Tom", "Twin Tom"},
                   3,
                   {{28, 1, "20"}, {28, 2, "20"}},
                   {"20", "20"}});
  auto nameless = Player(7, 30, "", "");
  nameless.HasBio = false;
  cases.push_back({"an entry without bio is named with one blank",
                   "BOS",
                   "TOR",
                   kTeams,
                   {nameless},
                   {},
                   {" "},
                   2,
                   {{0, 1, " "}, {28, 1, "30"}, {2, 1, "Player"}, {21, 1, "4'6\""}, {22, 1, "150"}},
                   {"30"}});
  cases.push_back(
      {"no match at all", "BOS", "TOR", kTeams, {bruin}, {}, {"Somebody Else"}, 2, {{0, 1, ""}}, {""}});
  auto goalie = Player(12, 40, "Gus", "Goalie");
  goalie.Goalie = true;
  goalie.Values = {{"POKE", 33}, {"SREC", 2}, {"SSL_", 11}, {"SSH_", 12}};
  cases.push_back({"goalie columns",
                   "BOS",
                   "TOR",
                   kTeams,
                   {goalie},
                   {},
                   {"Goalie Gus"},
                   2,
                   {{2, 1, "Goalie"},
                    {3, 1, "0"},
                    {13, 1, "83"},
                    {16, 1, "83"},
                    {11, 1, "61"},
                    {12, 1, "62"},
                    {25, 1, "-"},
                    {26, 1, "-"},
                    {27, 1, "-"}},
                   {"40"}});
  auto sized = Player(7, 50, "Sam", "Size");
  sized.Height = 20;
  sized.Weight = 50;
  sized.Values = {{"PENA", 30}, {"AGGR", 10}, {"ODBI", -3}, {"SACC", 1}, {"WACC", 2}, {"SPEE", 0}};
  cases.push_back({"skater sizes and penalty resistance",
                   "BOS",
                   "TOR",
                   kTeams,
                   {sized},
                   {},
                   {"Size Sam"},
                   2,
                   {{3, 1, "0"},
                    {4, 1, "50"},
                    {11, 1, "51"},
                    {12, 1, "52"},
                    {21, 1, "6'2\""},
                    {22, 1, "200"},
                    {23, 1, "188"},
                    {24, 1, "90.7"},
                    {25, 1, "69"},
                    {26, 1, "60"},
                    {27, 1, "-3"},
                    {28, 1, "50"}},
                   {"50"}});
  auto fromDb = Player(7, 60, "Both", "Files"), fromExh = Player(7, 60, "Both", "Files");
  fromDb.Values = {{"SPEE", 1}};
  fromExh.Values = {{"SPEE", 2}};
  cases.push_back({"the exhibition entry wins",
                   "BOS",
                   "TOR",
                   kTeams,
                   {fromDb},
                   {fromExh},
                   {"Files Both"},
                   2,
                   {{4, 1, "52"}},
                   {"60"}});
  return cases;
}

TEST(Roster, EdgeCases) {
  for (const EdgeCase& c : EdgeCases()) {
    SCOPED_TRACE(c.what);
    RosterRun run;
    run.rt.HomeTeamAbbr = c.home;
    run.rt.AwayTeamAbbr = c.away;
    run.WriteRoster(c.teams, c.roster);
    run.WriteExhibition(c.exhibition);
    run.SetStatNames(c.statNames);
    run.Run();
    EXPECT_EQ(run.Grid().RowCount(), c.gridRows);
    for (const Cell& cell : c.grid) {
      EXPECT_EQ(run.Grid().GetCell(cell.col, cell.row), cell.text)
          << "column " << cell.col << " row " << cell.row;
    }
    for (std::size_t k = 0; k < c.statIds.size(); ++k) {
      EXPECT_EQ(run.window.PlayerStat.GetCell(12, static_cast<std::int32_t>(k + 1)), c.statIds[k])
          << "row " << k + 1;
    }
    EXPECT_TRUE(run.window.Enabled(CommandId::ManualSave));
  }
}

TEST(Roster, PreparesTheGridAndRemovesWorkingCopies) {
  RosterRun run;
  run.rt.HomeTeamAbbr = "BOS";
  run.WriteRoster(kTeams, {Player(7, 11, "Bos", "Bruin")});
  run.WriteExhibition({});
  run.SetStatNames({"Bruin Bos"});
  std::vector<int> changed;
  run.window.Subscribe([&](const WindowChange& ch) {
    if (ch.kind == WindowChange::Kind::Grid) changed.push_back(ch.which);
  });
  run.Run();
  const TCellTable& g = run.Grid();
  EXPECT_EQ(g.ColCount(), 29);
  EXPECT_EQ(g.ColWidths(0), 100);
  EXPECT_EQ(g.ColWidths(3), 0);
  EXPECT_EQ(g.ColWidths(1), TCellTable::kDefaultWidth);
  EXPECT_EQ(g.GetCell(0, 0), "Player Name");
  EXPECT_EQ(g.GetCell(13, 0), "Cheking\\Recover");
  EXPECT_EQ(g.GetCell(25, 0), "Penalty Resistace");
  EXPECT_EQ(g.GetCell(28, 0), "Player ID");
  // Ratings: stored plus 50, wrist accuracy (WACC) in column 12 and slap accuracy (SACC) in 11.
  EXPECT_EQ(g.GetCell(4, 1), std::to_string((11 + 6) % 64 + 50));  // SPEE is rating field 6
  EXPECT_EQ(g.GetCell(11, 1), std::to_string((11 + 2) % 64 + 50));
  EXPECT_EQ(g.GetCell(12, 1), std::to_string((11 + 3) % 64 + 50));
  EXPECT_FALSE(FileExists(run.rt.TempFolder + kRosterMember));
  EXPECT_FALSE(FileExists(run.rt.TempFolder + kExhibitionFile));
  EXPECT_NE(std::find(changed.begin(), changed.end(), static_cast<int>(GridId::PlayerGrid)), changed.end());
  EXPECT_NE(std::find(changed.begin(), changed.end(), static_cast<int>(GridId::PlayerStat)), changed.end());
}

TEST(Roster, StopsEarlyWhenADatabaseCannotBeOpened) {
  {
    SCOPED_TRACE("no archive, no exhibition save");
    RosterRun run;
    run.SetStatNames({"Bruin Bos"});
    run.Run();
    EXPECT_EQ(run.Grid().RowCount(), 2);
    EXPECT_EQ(run.Grid().GetCell(0, 0), "Player Name");
    EXPECT_EQ(run.Grid().GetCell(0, 1), "");
    EXPECT_FALSE(run.window.Enabled(CommandId::ManualSave));
  }
  {
    SCOPED_TRACE("exhibition save missing: the roster copy stays");
    RosterRun run;
    run.rt.HomeTeamAbbr = "BOS";
    run.WriteRoster(kTeams, {Player(7, 11, "Bos", "Bruin")});
    run.SetStatNames({"Bruin Bos"});
    run.Run();
    EXPECT_EQ(run.Grid().RowCount(), 2);
    EXPECT_EQ(run.window.PlayerStat.GetCell(12, 1), "");
    EXPECT_FALSE(run.window.Enabled(CommandId::ManualSave));
    EXPECT_TRUE(FileExists(run.rt.TempFolder + kRosterMember));
  }
  {
    SCOPED_TRACE("damaged exhibition save");
    RosterRun run;
    run.WriteRoster(kTeams, {});
    ASSERT_TRUE(
        WriteFileAtomic(run.documents + "\\NHL07\\exhibition.exh", AsBytes("DB\x00\x08 broken")).ok());
    run.Run();
    EXPECT_FALSE(run.window.Enabled(CommandId::ManualSave));
  }
}

TEST(Roster, ReadsTheSimulatorsFixture) {
  RosterRun run;
  sim::RosterFixtureInput in;
  in.GameFolder = run.dir.str() + "\\game\\";
  in.DocumentsFolder = run.documents;
  const char* abbrs[] = {"DET", "CHI"};
  for (int t = 0; t < 2; ++t) {
    sim::FixtureTeam team;
    team.Abbr = abbrs[t];
    team.Name = t == 0 ? "Detroit Red Wings and a 32 char." : "Chicago";
    for (int j = 0; j < 20; ++j) {
      team.Players[static_cast<std::size_t>(j)] = {"F" + std::to_string(j),
                                                   team.Abbr + "last" + std::to_string(j)};
    }
    in.Teams.push_back(team);
  }
  sim::ApplySourceMix(in);
  auto written = sim::WriteRosterFixture(in);
  ASSERT_TRUE(written.ok()) << written.error().Describe();
  EXPECT_EQ(written->RosterArchivePath, run.rt.RosterArchivePath);

  run.rt.HomeTeamAbbr = "DET";
  run.rt.AwayTeamAbbr = "CHI";
  std::vector<std::string> names;
  for (const auto& team : in.Teams) {
    for (const auto& p : team.Players) names.push_back(p.LastName + " " + p.FirstName);
  }
  run.SetStatNames(names);
  run.Run();

  EXPECT_EQ(run.Grid().RowCount(), 40);  // 39 players found, one nowhere
  EXPECT_EQ(run.window.PlayerStat.GetCell(12, 21 + 7), "");
  EXPECT_TRUE(run.window.Enabled(CommandId::ManualSave));
  // Row w of the grid for PlayerStat row K: rows after the missing one shift up by one.
  const auto rowOf = [](int team, int slot) {
    return 1 + 20 * team + slot - (team == 1 && slot > 7 ? 1 : 0);
  };
  const struct {
    int team, slot;
    bool exhibition;
  } checks[] = {{0, 0, false}, {0, 2, true}, {0, 5, true}, {1, 3, true}, {1, 19, false}};
  for (const auto& c : checks) {
    SCOPED_TRACE(std::to_string(c.team) + "/" + std::to_string(c.slot));
    const std::int64_t id = sim::FixturePlayerId(c.team, c.slot);
    const int row = rowOf(c.team, c.slot);
    EXPECT_EQ(run.Grid().GetCell(28, row), std::to_string(id));
    EXPECT_EQ(run.Grid().GetCell(1, row), abbrs[c.team]);
    const bool goalie = c.slot >= 18;
    EXPECT_EQ(run.Grid().GetCell(2, row), goalie ? "Goalie" : "Player");
    const int speeField = goalie ? 3 : 6;
    EXPECT_EQ(run.Grid().GetCell(4, row),
              std::to_string(sim::FixtureRating(id, speeField, c.exhibition) + 50));
    EXPECT_EQ(run.Grid().GetCell(21, row), inttoftinc(sim::FixtureHeight(id) + 54));
  }
}

// The whole run: the statistics reader fills PlayerStat from game memory, then the rosters are read.
TEST(Roster, CheckRosterReadsStatisticsFirst) {
  RosterRun run;
  sim::RosterFixtureInput in;
  in.GameFolder = run.dir.str() + "\\game\\";
  in.DocumentsFolder = run.documents;
  in.Teams.resize(2);
  in.Teams[0].Abbr = "NYR";
  in.Teams[1].Abbr = "PIT";
  for (int t = 0; t < 2; ++t) {
    for (int j = 0; j < 20; ++j) {
      in.Teams[static_cast<std::size_t>(t)].Players[static_cast<std::size_t>(j)] = {
          "First" + std::to_string(j), "Team" + std::to_string(t) + "Last" + std::to_string(j)};
    }
  }
  sim::ApplySourceMix(in);
  ASSERT_TRUE(sim::WriteRosterFixture(in).ok());

  constexpr std::uint32_t kTeamBlock = 0x00D00000, kPlayerStats = 0x00E00000;
  MemoryGameLink link;
  ASSERT_TRUE(link.MapRegion(kTeamBlock, Bytes(2 * 1916, 0)));
  ASSERT_TRUE(link.MapRegion(kPlayerStats, Bytes(800, 0)));
  for (int t = 0; t < 2; ++t) {
    for (int j = 0; j < 20; ++j) {
      const auto& p = in.Teams[static_cast<std::size_t>(t)].Players[static_cast<std::size_t>(j)];
      const std::uint32_t slot =
          kTeamBlock + 1916u * static_cast<std::uint32_t>(t) + 196u + 84u * static_cast<std::uint32_t>(j);
      ASSERT_EQ(link.Write(slot, AsBytes(p.FirstName)), p.FirstName.size());
      ASSERT_EQ(link.Write(slot + 16, AsBytes(p.LastName)), p.LastName.size());
    }
  }
  DataAddresses addresses;
  addresses.TeamBlockAddress = kTeamBlock;
  addresses.PlayerStatsAddress = kPlayerStats;
  run.rt.HomeTeamAbbr = "NYR";
  run.rt.AwayTeamAbbr = "PIT";
  CheckRoster(link, run.window, addresses, run.rt, run.registry, run.locale);

  EXPECT_EQ(run.window.PlayerStat.GetCell(0, 1), "Team0Last0 First0");
  EXPECT_EQ(run.window.PlayerStat.GetCell(12, 1), std::to_string(sim::FixturePlayerId(0, 0)));
  EXPECT_EQ(run.window.PlayerStat.GetCell(12, 28), "");  // away slot 7 is in neither file
  EXPECT_EQ(run.window.PlayerStat.GetCell(12, 40), std::to_string(sim::FixturePlayerId(1, 19)));
  EXPECT_EQ(run.Grid().RowCount(), 40);
  EXPECT_EQ(run.Grid().GetCell(1, 39), "PIT");
  EXPECT_EQ(run.Grid().GetCell(2, 39), "Goalie");
  EXPECT_TRUE(run.window.Enabled(CommandId::ManualSave));
}

}  // namespace
}  // namespace rw
