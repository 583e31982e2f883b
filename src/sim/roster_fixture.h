#pragma once
// Writes the game's roster files for a simulated game: the game folder's db\db.viv holding the
// roster database nhl2007PC.tdb (RefPack-compressed, as a console archive keeps it), and the
// documents folder's NHL07\exhibition.exh. Both are TDB databases our reader and, by the
// format's rules, the game accept (checksums computed).

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/result.h"
#include "gamedata/tdb.h"
#include "shell/registry.h"

namespace rw::sim {

// ---- Low level: databases from explicit rows -------------------------------------------

struct RosterTeamRow {
  std::int64_t Index = 0;  // "INDX"
  std::string Abbr;        // "ABBR" (4 bytes wide)
  std::string AltAbbr;     // "AABB" (4 bytes wide); the field exists only when some row sets it
  std::string Name;        // "NAME" (32 bytes wide: a 32-character name has no NUL)
};

// One player: a "ROST" row (TEAM, INDX), a "PLAY" row (INDX -> ID__), a rating row in "SPAI" or
// "SGAI" and a bio row in "SPBT", each optional.
struct RosterPlayerRow {
  std::int64_t Team = 0;
  std::int64_t RosterIndex = 0;
  std::int64_t PlayerId = 0;
  bool Goalie = false;
  bool HasRoster = true, HasPlay = true, HasRatings = true, HasBio = true;
  std::string FirstName, LastName;             // "FNME", "LNME", 20 bytes wide
  std::int64_t Height = 0;                     // "HEIG" as stored (inches minus 54), 5 bits
  std::int64_t Weight = 0;                     // "WEIG" as stored (pounds minus 150), 8 bits
  std::int64_t RatingBase = 0;                 // rating field k of the row holds (RatingBase + k) % 64
  std::map<std::string, std::int64_t> Values;  // overrides by field code, e.g. {"PENA", 30}
};

// The rating fields in the order used for RatingBase (skaters' "ODBI" is signed, 4 bits).
extern const std::vector<std::string> kSkaterRatingFields;
extern const std::vector<std::string> kGoalieRatingFields;

// A database with tables "STEA" (when `teams` is not empty), "ROST", "PLAY", "SPBT", "SPAI" and
// "SGAI", in a directory order that is not alphabetical, each table with spare capacity whose
// unused slots hold stale bytes.
Result<TdbDatabase> BuildRosterDatabase(const std::vector<RosterTeamRow>& teams,
                                        const std::vector<RosterPlayerRow>& players);

// ---- High level: the files for a simulated game -----------------------------------------

enum class RosterSource {
  Roster,      // only in the roster database
  Exhibition,  // only in the exhibition save
  Both,        // in both, with different ratings (the exhibition's entry wins)
  Nowhere,     // in neither: his statistics row matches nobody
};

struct FixturePlayer {
  std::string FirstName, LastName;
  RosterSource Source = RosterSource::Roster;
};

struct FixtureTeam {
  std::string Name;                       // at most 32 characters
  std::string Abbr;                       // at most 3 characters
  std::array<FixturePlayer, 20> Players;  // slots 0..17 skaters, 18 and 19 goalies
};

struct RosterFixtureInput {
  std::string GameFolder;          // system path ending in "\": receives db\db.viv
  std::string DocumentsFolder;     // system path without trailing "\": receives NHL07\exhibition.exh
  std::vector<FixtureTeam> Teams;  // the game's teams, home first
  int ExtraTeams = 4;              // further teams with generated players, in the roster only
};

struct RosterFixtureResult {
  std::string RosterArchivePath;          // GameFolder + "db\db.viv"
  std::string ExhibitionPath;             // DocumentsFolder + "\NHL07\exhibition.exh"
  std::vector<std::int64_t> TeamIndexes;  // "STEA" index of each input team
};

// Marks a mix of sources on the first two teams: home slot 2 Both, home slots 5 and 18 and away
// slot 3 Exhibition, away slot 7 Nowhere; the others stay Roster.
void ApplySourceMix(RosterFixtureInput& input);

// Player ID of slot `slot` of input team `team` (extra teams follow the input teams).
std::int64_t FixturePlayerId(int team, int slot);
// Stored value of rating field `field` (index into the rating field list) for a player; the
// exhibition save holds different values than the roster database.
std::int64_t FixtureRating(std::int64_t playerId, int field, bool exhibition);
std::int64_t FixtureHeight(std::int64_t playerId);  // as stored
std::int64_t FixtureWeight(std::int64_t playerId);  // as stored

Result<RosterFixtureResult> WriteRosterFixture(const RosterFixtureInput& input);

// Points the documents folder value (HKCU "...\Shell Folders", "Personal") at `documentsFolder`.
bool WriteDocumentsFolderValue(IRegistry& registry, const std::string& documentsFolder);

}  // namespace rw::sim
