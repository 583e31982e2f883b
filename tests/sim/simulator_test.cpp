#include "sim/simulator.h"

#include <gtest/gtest.h>

#include "gamelink/game_access.h"
#include "shell/main_window.h"

namespace rw::sim {
namespace {

class SimulatedGame {
 public:
  explicit SimulatedGame(std::string_view name) {
    auto s = MakeBuiltInSimulator(name);
    EXPECT_TRUE(s.ok()) << (s.ok() ? "" : s.error().Describe());
    sim = std::move(*s);
    at = sim->Layout().Expected();
  }
  std::uint32_t U8(std::uint32_t address) const { return Read(address, 1); }
  std::uint32_t U16(std::uint32_t address) const { return Read(address, 2); }
  std::uint32_t Team(int team, TeamStatField f) const {
    const auto i = static_cast<std::size_t>(f);
    return Read(at.Field(team, f), static_cast<std::size_t>(kTeamStatSizes[i]));
  }
  std::uint32_t PlayerAt(int team, int slot) const {
    return at.PlayerStatsAddress + kPlayerStatsTeamStride * static_cast<std::uint32_t>(team) +
           kPlayerStatsRecordSize * static_cast<std::uint32_t>(slot);
  }
  std::array<std::uint8_t, 8> Record(std::size_t k) const {
    std::array<std::uint8_t, 8> r{};
    sim->Memory().ReadMemory(at.EventListAddress + 8 * static_cast<std::uint32_t>(k), r);
    return r;
  }
  std::vector<std::array<std::uint8_t, 8>> Records() const {
    std::vector<std::array<std::uint8_t, 8>> out;
    for (std::size_t k = 0; k < kMaxEventRecords && Record(k)[3] != 0; ++k) out.push_back(Record(k));
    return out;
  }

  std::unique_ptr<GameSimulator> sim;
  DataAddresses at;

 private:
  std::uint32_t Read(std::uint32_t address, std::size_t n) const {
    std::array<std::uint8_t, 4> b{};
    EXPECT_EQ(sim->Memory().ReadMemory(address, std::span(b.data(), n)), n);
    std::uint32_t v = 0;
    for (std::size_t i = n; i-- > 0;) v = (v << 8) | b[i];
    return v;
  }
};

// A polling loop reads the in-game byte through the game access functions between steps.
TEST(SimulatorTest, DefaultGamePlaysToItsEnd) {
  SimulatedGame g("default");
  MainWindowState window;
  std::vector<int> inGame;
  std::string buffer;
  auto poll = [&] {
    ReadNHLMem(g.sim->Link(), window, g.at.InGameFlagAddress, 1, buffer);
    inGame.push_back(static_cast<unsigned char>(buffer[0]));
  };
  poll();
  while (g.sim->Step()) poll();
  ASSERT_TRUE(g.sim->Finished());
  const std::size_t steps = g.sim->Game().script.size();
  std::vector<int> expected(steps + 1, 1);
  expected.front() = 0;
  expected.back() = 0;
  EXPECT_EQ(inGame, expected);
  EXPECT_EQ(window.Panel(1), kStatusRunning);
  EXPECT_FALSE(g.sim->Step());

  // Team statistics: home won 5:3 in regulation.
  using F = TeamStatField;
  const struct {
    F field;
    std::uint32_t home, away;
  } teams[] = {
      {F::Goal, 5, 3},          {F::GP1, 2, 1},       {F::GP2, 1, 1},
      {F::GP3, 2, 1},           {F::GOT, 0, 0},       {F::SHGoal, 1, 0},
      {F::ENGoal, 1, 0},        {F::PPFirst, 1, 1},   {F::PPSecond, 2, 3},
      {F::Penalties, 3, 3},     {F::Breakaway, 0, 1}, {F::Onetimers, 5, 1},
      {F::OnetimerGoal, 0, 1},  {F::Hits, 4, 4},      {F::Faceoff, 24, 20},
      {F::Shot, 27, 279 % 256},  // the game's shot counter is a single byte
  };
  for (const auto& t : teams) {
    SCOPED_TRACE(static_cast<int>(t.field));
    EXPECT_EQ(g.Team(0, t.field), t.home);
    EXPECT_EQ(g.Team(1, t.field), t.away);
  }

  // Goalies: the home starter faced more than 255 shots (16-bit), the backup never played.
  EXPECT_EQ(g.U16(g.PlayerAt(0, 18) + 2), 279u);
  EXPECT_EQ(g.U8(g.PlayerAt(0, 18) + 6), 3u);  // goals against
  EXPECT_EQ(g.U16(g.PlayerAt(1, 18) + 2), 26u);
  EXPECT_EQ(g.U8(g.PlayerAt(1, 18) + 6), 4u);  // the empty-net goal is not his
  EXPECT_EQ(g.U8(g.PlayerAt(0, 18) + 5), 1u);  // assisted the empty-net goal
  EXPECT_EQ(g.U16(g.PlayerAt(0, 18)), 3600u);
  EXPECT_EQ(g.U16(g.PlayerAt(0, 19)), 0u);
  // Skaters: five on the ice for the whole 60 minutes, shared by line changes.
  std::uint32_t skaterSeconds = 0;
  for (int j = 0; j < 18; ++j) skaterSeconds += g.U16(g.PlayerAt(1, j));
  EXPECT_EQ(skaterSeconds, 5u * 3600u);
  EXPECT_EQ(g.U8(g.PlayerAt(1, 16) + 4), 15u);  // major and game misconduct
  EXPECT_EQ(g.U8(g.PlayerAt(0, 9) + 4), 4u);    // double minor
  EXPECT_EQ(g.U8(g.PlayerAt(0, 4) + 6), 1u);    // power-play goal
  EXPECT_EQ(g.U8(g.PlayerAt(0, 7) + 7), 1u);    // short-handed goal
  EXPECT_EQ(g.U8(g.PlayerAt(1, 5) + 12), 90u);  // shots
  EXPECT_EQ(g.U8(g.PlayerAt(0, 12) + 13), 3u);  // hits
  EXPECT_EQ(g.U8(g.PlayerAt(1, 13) + 3), 1u);   // assists

  // Every goal kind, every penalty severity, a skipped record and an unknown kind.
  const auto records = g.Records();
  ASSERT_EQ(records.size(), 16u);
  EXPECT_EQ(records[0], (std::array<std::uint8_t, 8>{14, 48, 0, 0x20, 0, 2, 0, 12}));  // 05:12, two assists
  EXPECT_EQ(records[2], (std::array<std::uint8_t, 8>{11, 5, 0, 0x21, 0, 4, 3, 255}));  // one assist
  EXPECT_EQ(records[9], (std::array<std::uint8_t, 8>{13, 40, 1, 0x20, 1, 3, 255, 255}));  // unassisted
  std::vector<int> kinds, codes;
  for (const auto& r : records) {
    kinds.push_back(r[3]);
    if (r[3] == 0x80) codes.push_back(r[6]);
  }
  EXPECT_EQ(kinds, (std::vector<int>{0x20, 0x80, 0x21, 0x40, 0x80, 0x25, 0x80, 0x80, 0x80, 0x20, 0x80, 0x22,
                                     0x23, 0x20, 0x20, 0x24}));
  EXPECT_EQ(codes, (std::vector<int>{15, 32 + 20, 64 + 10, 64 + 10, 128, 23}));
}

TEST(SimulatorTest, StatisticsMoveStepByStep) {
  SimulatedGame g("default");
  EXPECT_EQ(g.Records().size(), 0u);
  EXPECT_EQ(g.U8(g.at.TeamBlockAddress + 32), 'H');  // names are there before the game starts
  while (g.Records().empty()) g.sim->Step();
  // The first goal, 5:12 into the game: home line 3 (slots 6-8) and pair 1 were on the ice,
  // scorer and assistants get their point too; the power-play goal that follows counts nothing.
  EXPECT_EQ(g.Team(0, TeamStatField::Goal), 1u);
  for (int j : {0, 2, 6, 7, 8, 12, 13}) EXPECT_EQ(g.U8(g.PlayerAt(0, j) + 5), 1u) << j;
  for (int j : {6, 7, 8, 12, 13}) EXPECT_EQ(g.U8(g.PlayerAt(1, j) + 5), 0xFFu) << j;
  EXPECT_EQ(g.U8(g.PlayerAt(1, 3) + 5), 0u);
  EXPECT_EQ(g.U16(g.PlayerAt(0, 18)), 312u);
  EXPECT_EQ(g.U16(g.at.PeriodAddress), 0u);
}

TEST(SimulatorTest, OvertimeAndShootoutGames) {
  {
    SimulatedGame g("overtime");
    g.sim->PlayToEnd();
    EXPECT_EQ(g.U16(g.at.PeriodAddress), 3u);
    EXPECT_EQ(g.Team(0, TeamStatField::Goal), 2u);
    EXPECT_EQ(g.Team(1, TeamStatField::Goal), 3u);
    EXPECT_EQ(g.Team(1, TeamStatField::GOT), 1u);
    const auto last = g.Records().back();
    EXPECT_EQ(last, (std::array<std::uint8_t, 8>{2, 50, 3, 0x20, 1, 1, 7, 255}));  // 02:10 of 1OT
    EXPECT_EQ(g.U16(g.PlayerAt(1, 18)), 3600u + 130u);
  }
  {
    SimulatedGame g("shootout");
    g.sim->PlayToEnd();
    EXPECT_EQ(g.U16(g.at.PeriodAddress), 255u);
    EXPECT_EQ(g.U8(g.at.InGameFlagAddress), 0u);
    const auto records = g.Records();
    ASSERT_EQ(records.size(), 6u);
    for (std::size_t k = 3; k < 6; ++k) EXPECT_EQ(records[k][2], 255) << k;
    EXPECT_EQ(g.Team(0, TeamStatField::Goal), 2u);  // one goal for winning the shootout
    EXPECT_EQ(g.Team(1, TeamStatField::Goal), 1u);
    EXPECT_EQ(g.U16(g.PlayerAt(0, 18)), 3900u);
  }
}

TEST(SimulatorTest, WindowComesAndGoes) {
  SimulatedGame g("default");
  MainWindowState window;
  std::string buffer;
  g.sim->SetWindowPresent(false);
  EXPECT_EQ(ReadNHLMem(g.sim->Link(), window, g.at.PeriodAddress, 1, buffer), 0);
  EXPECT_EQ(GetNHLPath(g.sim->Link()), "");
  g.sim->SetWindowPresent(true);
  EXPECT_EQ(ReadNHLMem(g.sim->Link(), window, g.at.PeriodAddress, 1, buffer), 1);
  EXPECT_EQ(GetNHLPath(g.sim->Link()), "C:\\Games\\NHL07\\");

  SimOptions options;
  options.gameFolder = "D:\\Fixture\\";
  auto moved = MakeBuiltInSimulator("overtime", options);
  ASSERT_TRUE(moved.ok());
  EXPECT_EQ(GetNHLPath((*moved)->Link()), "D:\\Fixture\\");
}

TEST(GameDescriptionTest, BuiltInGamesParse) {
  EXPECT_EQ(BuiltInGameNames(), (std::vector<std::string>{"default", "overtime", "shootout"}));
  for (const auto& name : BuiltInGameNames()) {
    SCOPED_TRACE(name);
    auto g = BuiltInGame(name);
    ASSERT_TRUE(g.ok()) << g.error().Describe();
    EXPECT_EQ(g->teams[0].players[19].first.empty(), false);
  }
  EXPECT_FALSE(BuiltInGame("nope").ok());
}

TEST(GameDescriptionTest, MistakesAreReportedWithTheirPlace) {
  const std::string team =
      R"({"name": "A", "abbreviation": "AAA", "players": [{"first": "X", "last": "Y"}]})";
  auto game = [&](const std::string& script, const std::string& home = "") {
    return "{\"home\": " + (home.empty() ? team : home) + ", \"away\": " + team + ", \"script\": " + script +
           "}";
  };
  const struct {
    const char* name;
    std::string json;
    const char* message;
  } cases[] = {
      {"not json", "{", "not valid JSON"},
      {"no end", game(R"([{"event": "start"}])"), "never ends"},
      {"before start", game(R"([{"event": "goal", "team": "home", "scorer": 1}])"),
       "script[0]: the game has not started"},
      {"after end", game(R"([{"event": "start"}, {"event": "end"}, {"event": "hit"}])"),
       "script[2]: nothing may follow"},
      {"slot 20",
       game(R"([{"event": "start"}, {"event": "goal", "team": "home", "scorer": 20}, {"event": "end"}])"),
       "script[1].scorer: 20 is outside 0..19"},
      {"bad team",
       game(R"([{"event": "start"}, {"event": "hit", "team": "x", "player": 1}, {"event": "end"}])"),
       "team must be"},
      {"time backwards",
       game(R"([{"event": "start"}, {"event": "hit", "time": "05:00", "team": 0, "player": 1},
                {"event": "hit", "time": "04:00", "team": 0, "player": 1}, {"event": "end"}])"),
       "script[2]: time goes backwards"},
      {"time past period", game(R"([{"event": "start", "time": "20:01"}, {"event": "end"}])"),
       "beyond the end"},
      {"bad clock", game(R"([{"event": "start", "time": "5:75"}, {"event": "end"}])"),
       "more than 59 seconds"},
      {"fourth period",
       game(
           R"([{"event": "start"}, {"event": "period"}, {"event": "period"}, {"event": "period"}, {"event": "end"}])"),
       "after the third period"},
      {"early overtime", game(R"([{"event": "start"}, {"event": "overtime"}, {"event": "end"}])"),
       "overtime follows"},
      {"unknown kind",
       game(
           R"([{"event": "start"}, {"event": "goal", "team": 0, "scorer": 1, "kind": "own"}, {"event": "end"}])"),
       "unknown goal kind"},
      {"infraction 24",
       game(
           R"([{"event": "start"}, {"event": "penalty", "team": 0, "player": 1, "infraction": 24}, {"event": "end"}])"),
       "24 is outside 1..23"},
      {"record kind 0", game(R"([{"event": "start"}, {"event": "record", "kind": 0}, {"event": "end"}])"),
       "kind 0"},
      {"long abbreviation", game("[]", R"({"name": "A", "abbreviation": "ABCD", "players": []})"),
       "home.abbreviation: longer than 3 bytes"},
      {"long name",
       game("[]", R"({"name": "A", "abbreviation": "A", "players": [{"last": "ABCDEFGHIJKLMNOPQ"}]})"),
       "home.players[0].last: longer than 16 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = ParseGameDescription(c.json);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find(c.message), std::string::npos) << r.error().message;
  }
  auto ok = ParseGameDescription(game(R"([{"event": "start"}, {"event": "end"}])"));
  ASSERT_TRUE(ok.ok()) << ok.error().message;
  EXPECT_EQ(ok->teams[0].players[0].last, "Y");
  EXPECT_TRUE(ok->teams[0].players[1].last.empty());
}

}  // namespace
}  // namespace rw::sim
