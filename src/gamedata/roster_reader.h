#pragma once
// The roster reader: fills PlayerGrid with the roster data of every player listed in
// PlayerStat, taken from the user's exhibition save and the game's roster database (both TDB
// databases; the database is extracted from the game's archive first), and writes each found
// player's ID into column 12 of PlayerStat.

#include <cstdint>
#include <string>
#include <vector>

#include "common/outside.h"
#include "gamedata/tdb_access.h"
#include "gamelink/addresses.h"
#include "gamelink/game_link.h"
#include "monitor/runtime.h"
#include "shell/main_window.h"
#include "shell/registry.h"

namespace rw {

// One roster entry as gathered from one database.
struct TPlayerRec {
  std::int32_t RosterIndex = 0;  // "INDX" of the "ROST" record: key into "PLAY"
  std::int32_t PlayerId = 0;     // "ID__" of that "PLAY" record: key into "SPAI", "SGAI", "SPBT"
  std::int32_t TeamIndex = 0;
  std::string TeamAbbr;
  std::string FirstName, LastName;
  std::string Position;  // "Player" or "Goalie"
  std::string PlayerIdText;
  std::string Rating[17];   // Rating1 .. Rating17, the stored value plus 50
  std::int32_t Height = 0;  // as stored: inches minus 54
  std::int32_t Weight = 0;  // as stored: pounds minus 150
  std::string PenaltyResistance, Aggressiveness, DefenseOffense;
};

// Archive member and working-copy names.
inline constexpr const char* kRosterMember = "nhl2007PC.tdb";
inline constexpr const char* kExhibitionFile = "exhibition.exh";
inline constexpr const char* kShellFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Whole inches as feet and inches: 74 gives 6'2" (quotient truncated toward zero).
std::string inttoftinc(std::int64_t inches);

// A value rounded to one decimal (half to even on value / 0.1) in the general number format
// with up to 15 significant digits and the given decimal separator: 187.96 gives "188".
std::string OneDecimalText(double value, char decimalSeparator);

// The roster part of a run: prepares PlayerGrid, extracts the roster database into TempFolder,
// copies the exhibition save beside it, reads both and fills PlayerGrid and column 12 of
// PlayerStat (which must already hold this game's players). Enables ManualSave after a complete
// run; a database that cannot be opened ends the run early and silently.
void ReadRosters(MainWindowState& window, const RuntimeValues& rt, IRegistry& registry, ILocale& locale,
                 TdbLibrary& library);
void ReadRosters(MainWindowState& window, const RuntimeValues& rt, IRegistry& registry, ILocale& locale);

// One run of the roster reader: readstat first, then ReadRosters.
void CheckRoster(IGameLink& link, MainWindowState& window, const DataAddresses& addresses,
                 const RuntimeValues& rt, IRegistry& registry, ILocale& locale);

}  // namespace rw
