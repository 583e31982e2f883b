#pragma once
// The statistics reader: refreshes the rules, team statistics, player statistics and game
// summary tables of the main window from the game's memory, in one pass.

#include <array>
#include <string>

#include "gamelink/addresses.h"
#include "gamelink/game_link.h"
#include "monitor/runtime.h"
#include "shell/main_window.h"

namespace rw {

// [team][slot]: team 0 home, 1 away; slot 0..19. Each entry is "last name, blank, first name".
using PlayerNameTable = std::array<std::array<std::string, 20>, 2>;

// Rebuilds RulesGrid, StatGrid, PlayerStat and SummaryGrid of `window` (announcing each), with
// one ReadNHLMem per statistics value; the team abbreviations come from `rt`.
void readstat(IGameLink& link, MainWindowState& window, const DataAddresses& addresses,
              const RuntimeValues& rt);

}  // namespace rw
