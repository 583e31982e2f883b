#pragma once
// The game summary reader: turns the game's list of 8-byte event records (goals, penalties)
// into SummaryGrid, one row per shown event, with the running score and the players' names.

#include <array>
#include <cstdint>
#include <string>

#include "gamedata/stat_reader.h"
#include "gamelink/addresses.h"
#include "gamelink/game_link.h"
#include "monitor/cell_table.h"

namespace rw {

// By infraction number minus 1 (a penalty code is 32 x severity + infraction, 1..23).
inline constexpr std::array<const char*, 23> PenaltyNames = {"Abuse of official",
                                                             "Attempt to injure",
                                                             "Boarding",
                                                             "Charging",
                                                             "Checking from behind",
                                                             "Cross checking",
                                                             "Delay of game",
                                                             "Diving",
                                                             "Elbowing",
                                                             "Fighting",
                                                             "Fight instigator",
                                                             "High sticking",
                                                             "Holding",
                                                             "Holding stick",
                                                             "Hooking",
                                                             "Interference",
                                                             "Obstruction-Holding",
                                                             "Obstruction-Hooking",
                                                             "Obstruction-Tripping",
                                                             "Roughing",
                                                             "Slashing",
                                                             "Spearing",
                                                             "Tripping"};

// The list carries no length; reading also stops at this many records, so memory that never
// holds an end record cannot hang the reader or grow the table without bound.
inline constexpr std::uint32_t kMaxEventRecords = 10'000;

// Rebuilds SummaryGrid from the event list at EventListAddress, read through one process
// handle. Stops at a record of kind 0, at the first record that cannot be read whole, or
// after kMaxEventRecords records. Team bytes other than 0/1 and assist slots 20..254 have no
// name: those cells stay empty. Reports nothing.
void readsummary(IGameLink& link, const DataAddresses& addresses, const std::string& homeAbbr,
                 const std::string& awayAbbr, const PlayerNameTable& names, TCellTable& SummaryGrid);

}  // namespace rw
