#include "gamedata/stat_reader.h"

#include <cstdint>
#include <string_view>

#include "gamedata/rules_reader.h"
#include "gamedata/summary_reader.h"
#include "gamelink/game_access.h"
#include "gamelink/pattern.h"

namespace rw {
namespace {

constexpr std::uint32_t kNameSlotsOffset = 196;  // first name of slot 0 in a team record
constexpr std::uint32_t kNameSlotStride = 84;
constexpr int kNameLength = 16;  // first name, then last name, each NUL-terminated or full
constexpr std::uint32_t kPlayerRecordSize = 20;
constexpr std::uint32_t kPlayerTeamStride = 400;

// One ReadNHLMem per value: each read reopens the process and refreshes the status panel.
// A failed read yields zeros. A field whose address runs past the 32-bit space is read as
// nothing, so it shows 0 instead of whatever lies at the wrapped-around address.
std::string ReadValue(IGameLink& link, MainWindowState& window, std::uint64_t address, int size) {
  const bool fits = address + static_cast<std::uint64_t>(size) <= 0x1'0000'0000ull;
  std::string buf;
  ReadNHLMem(link, window, static_cast<std::uint32_t>(address), fits ? size : 0, buf);
  return buf;
}

std::int32_t ReadNumber(IGameLink& link, MainWindowState& window, std::uint64_t address, int size) {
  return BytesToInt(ReadValue(link, window, address, size));
}

std::string ReadNumberText(IGameLink& link, MainWindowState& window, std::uint64_t address, int size) {
  return std::to_string(ReadNumber(link, window, address, size));
}

std::string ReadName(IGameLink& link, MainWindowState& window, std::uint64_t address) {
  std::string buf = ReadValue(link, window, address, kNameLength);
  if (const auto nul = buf.find('\0'); nul != std::string::npos) buf.resize(nul);
  return buf;
}

// StatGrid columns 2..15 in column order, as fields of the team statistics.
constexpr std::array<TeamStatField, 14> kStatColumns = {
    TeamStatField::Goal,      TeamStatField::Shot,         TeamStatField::SHGoal,  TeamStatField::Breakaway,
    TeamStatField::Onetimers, TeamStatField::OnetimerGoal, TeamStatField::Faceoff, TeamStatField::Hits,
    TeamStatField::Penalties, TeamStatField::ENGoal,       TeamStatField::GP1,     TeamStatField::GP2,
    TeamStatField::GP3,       TeamStatField::GOT,
};

int FieldSize(TeamStatField f) {
  return kTeamStatSizes[static_cast<std::size_t>(f)];
}

void ReadTeamStats(IGameLink& link, MainWindowState& window, const DataAddresses& addresses,
                   const RuntimeValues& rt) {
  TCellTable& grid = window.StatGrid;
  grid.ClearCells();
  grid.RowCount(3);
  grid.ColCount(17);
  const char* const headers[] = {"",          "Team",          "Goal",    "Shot", "SH goal",   "Breakaway",
                                 "Onetimers", "Onetimer goal", "Faceoff", "Hits", "Penalties", "EN goal",
                                 "GP1",       "GP2",           "GP3",     "GOT",  "PP"};
  for (int c = 0; c < 17; ++c) grid.SetCell(c, 0, headers[c]);
  grid.SetCell(0, 1, "Home");
  grid.SetCell(0, 2, "Away");
  grid.SetCell(1, 1, rt.HomeTeamAbbr);
  grid.SetCell(1, 2, rt.AwayTeamAbbr);
  for (std::size_t i = 0; i < kStatColumns.size(); ++i) {
    const TeamStatField f = kStatColumns[i];
    for (int team = 0; team < 2; ++team)
      grid.SetCell(2 + static_cast<int>(i), 1 + team,
                   ReadNumberText(link, window, addresses.Field(team, f), FieldSize(f)));
  }
  for (int team = 0; team < 2; ++team) {
    grid.SetCell(16, 1 + team,
                 ReadNumberText(link, window, addresses.Field(team, TeamStatField::PPFirst),
                                FieldSize(TeamStatField::PPFirst)));
    grid.SetCell(16, 1 + team,
                 grid.GetCell(16, 1 + team) + "/" +
                     ReadNumberText(link, window, addresses.Field(team, TeamStatField::PPSecond),
                                    FieldSize(TeamStatField::PPSecond)));
  }
}

void ReadPlayerStats(IGameLink& link, MainWindowState& window, const DataAddresses& addresses,
                     const RuntimeValues& rt, PlayerNameTable& names) {
  TCellTable& grid = window.PlayerStat;
  grid.ClearCells();
  grid.RowCount(41);
  grid.ColCount(13);
  (void)grid.ColWidths(0, 100);
  const char* const headers[] = {"Player Name", "Team",   "Pos",     "Time",     "Goal", "Asst",     "PIMS",
                                 "+/-",         "PPG/GA", "SHG/ENG", "Shoot/SA", "Hits", "Player ID"};
  for (int c = 0; c < 13; ++c) grid.SetCell(c, 0, headers[c]);

  for (int row = 1; row <= 40; ++row) {
    const int team = row <= 20 ? 0 : 1;
    const int slot = (row - 1) % 20;
    const bool goalie = slot >= 18;
    const std::uint64_t nameSlot = std::uint64_t{addresses.TeamBlockAddress} +
                                   kTeamRecordStride * std::uint64_t(team) + kNameSlotsOffset +
                                   kNameSlotStride * std::uint64_t(slot);
    const std::uint64_t rec = std::uint64_t{addresses.PlayerStatsAddress} +
                              kPlayerTeamStride * std::uint64_t(team) +
                              kPlayerRecordSize * std::uint64_t(slot);
    auto number = [&](std::uint32_t offset, int size) {
      return ReadNumberText(link, window, rec + offset, size);
    };

    grid.SetCell(0, row, ReadName(link, window, nameSlot + kNameLength));
    grid.SetCell(0, row, grid.GetCell(0, row) + " " + ReadName(link, window, nameSlot));
    names[static_cast<std::size_t>(team)][static_cast<std::size_t>(slot)] = grid.GetCell(0, row);
    grid.SetCell(2, row, goalie ? "Goalie" : "Player");
    grid.SetCell(1, row, team == 0 ? rt.HomeTeamAbbr : rt.AwayTeamAbbr);
    grid.SetCell(3, row, SecondsToClock(ReadNumber(link, window, rec + 0, 2)));
    if (goalie) {
      grid.SetCell(5, row, number(5, 1));
      grid.SetCell(8, row, number(6, 1));
      grid.SetCell(9, row, number(7, 1));
      grid.SetCell(6, row, number(10, 1));
      grid.SetCell(10, row, number(2, 2));
      for (int c : {4, 7, 11}) grid.SetCell(c, row, "-");
    } else {
      grid.SetCell(4, row, number(2, 1));
      grid.SetCell(5, row, number(3, 1));
      grid.SetCell(6, row, number(4, 1));
      const std::int32_t plusMinus = ReadNumber(link, window, rec + 5, 1);
      grid.SetCell(7, row, std::to_string(plusMinus > 127 ? plusMinus - 256 : plusMinus));
      grid.SetCell(8, row, number(6, 1));
      grid.SetCell(9, row, number(7, 1));
      grid.SetCell(10, row, number(12, 1));
      grid.SetCell(11, row, number(13, 1));
    }
  }
}

}  // namespace

void readstat(IGameLink& link, MainWindowState& window, const DataAddresses& addresses,
              const RuntimeValues& rt) {
  readrules(link, addresses, window.RulesGrid);
  window.TableChanged(GridId::RulesGrid);

  ReadTeamStats(link, window, addresses, rt);
  window.TableChanged(GridId::StatGrid);

  PlayerNameTable names;
  ReadPlayerStats(link, window, addresses, rt, names);
  window.TableChanged(GridId::PlayerStat);

  readsummary(link, addresses, rt.HomeTeamAbbr, rt.AwayTeamAbbr, names, window.SummaryGrid);
  window.TableChanged(GridId::SummaryGrid);
}

}  // namespace rw
