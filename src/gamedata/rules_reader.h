#pragma once
// The rules reader: the current game's skill level, option switches and gameplay levels, all
// small bit fields in the 4-byte rules word and the 18-byte rules block of the game's memory.

#include <array>

#include "gamelink/addresses.h"
#include "gamelink/game_link.h"
#include "monitor/cell_table.h"

namespace rw {

inline constexpr std::array<const char*, 4> SkillLevelNames = {"Beginner", "Easy", "Medium", "Difficult"};
inline constexpr std::array<const char*, 2> OffOnNames = {"Off", "On"};
inline constexpr std::array<const char*, 8> LevelDigits = {"0", "1", "2", "3", "4", "5", "6", "7"};

// Rebuilds RulesGrid (29 columns, 2 rows: headers, values) from one process handle: 4 bytes
// at RulesWordAddress, then 18 at RulesBlockAddress. Bytes that cannot be read count as 0, so
// an absent game gives the values of an all-zero word and block. Reports nothing.
void readrules(IGameLink& link, const DataAddresses& addresses, TCellTable& RulesGrid);

}  // namespace rw
