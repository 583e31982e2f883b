#pragma once
// The game simulator: stands in for the running game. From a game description it builds the
// game's memory (executable headers, a code section holding the eight address patterns, and the
// data those patterns point at) and serves it through an in-process game link. The script is
// played forward one event per Step(), each step updating the statistics, the event list, the
// period and the in-game byte, so a polling cycle that calls Step() between ticks watches a
// game being played and ending.
//
// Data layout (offsets from the data base, see SimLayout): rules block, rules word 96 bytes
// after it, period word, in-game byte, aux byte, team statistics, player statistics, the two
// team records 1916 bytes apart, and the event list of 8-byte records ended by a kind-0 record.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/result.h"
#include "gamelink/addresses.h"
#include "gamelink/discovery.h"
#include "gamelink/memory_image.h"
#include "gamelink/memory_link.h"
#include "sim/game_description.h"

namespace rw::sim {

inline constexpr std::uint32_t kTeamRecordStride = 1916;
inline constexpr std::uint32_t kPlayerSlotOffset = 196;  // first name; last name 16 bytes later
inline constexpr std::uint32_t kPlayerSlotStride = 84;
inline constexpr std::uint32_t kPlayerStatsTeamStride = 400;
inline constexpr std::uint32_t kPlayerStatsRecordSize = 20;

struct SimOptions {
  // SizeOfCode of the simulated executable (the code section's size in memory).
  std::size_t codeSize = 64 * 1024;
  // Failure cases: patterns left out of the code, and patterns whose capture carries a chosen
  // value instead of the data address.
  std::array<bool, kAddressPatternCount> missingPattern{};
  std::array<std::optional<std::uint32_t>, kAddressPatternCount> captureOverride{};
  // A SizeOfCode to put in the headers instead of the real one (the real code stays mapped).
  std::optional<std::uint32_t> headerSizeOfCode;
  std::uint32_t seed = 2007;

  // The game's installation folder (system path, ending in "\"); the executable lies in it.
  // Fixture writers put the roster archive (gameFolder + "db\db.viv") and the user's
  // exhibition save there; the simulator itself writes no files.
  std::string gameFolder = "C:\\Games\\NHL07\\";
  std::string executableName = "nhl2007.exe";
  // Where a fixture writer puts the exhibition save (system path); empty when there is none.
  std::string exhibitionSavePath;
};

// Where the simulated game keeps its data.
struct SimLayout {
  std::uint32_t codeBase = 0;  // GameImageBase + BaseOfCode
  std::uint32_t dataBase = 0;
  std::uint32_t rulesBlock = 0, rulesWord = 0, period = 0, inGame = 0, aux = 0;
  std::uint32_t teamStats = 0;  // home base; away + 92
  std::uint32_t playerStats = 0, teamBlock = 0, eventList = 0;
  std::uint32_t dataSize = 0;
  // The addresses a correct discovery finds.
  DataAddresses Expected() const;
};

class GameSimulator {
 public:
  explicit GameSimulator(GameDescription game, SimOptions options = {});
  GameSimulator(const GameSimulator&) = delete;
  GameSimulator& operator=(const GameSimulator&) = delete;

  // The game link that serves the simulated game.
  IGameLink& Link() { return link_; }
  MemoryGameLink& Memory() { return link_; }
  void SetWindowPresent(bool present) { link_.windowPresent = present; }

  const GameDescription& Game() const { return game_; }
  const SimOptions& Options() const { return options_; }
  const SimLayout& Layout() const { return layout_; }
  // Offset of each real pattern match in the code section; -1 for a missing pattern.
  const std::array<std::int32_t, kAddressPatternCount>& PatternOffsets() const { return matchOffsets_; }

  // Plays the next script event and updates the memory. Returns false when the script is over.
  bool Step();
  void PlayToEnd();
  bool Finished() const { return next_ >= game_.script.size(); }
  std::size_t StepsDone() const { return next_; }

  // The current state as a memory image.
  MemoryImage Capture() const { return CaptureMemoryImage(link_); }

 private:
  struct PlayerStats {
    int toi = 0, goals = 0, assists = 0, pim = 0, plusMinus = 0, ppg = 0, shg = 0, shots = 0, hits = 0;
    int shotsAgainst = 0, goalsAgainst = 0;
  };
  struct TeamStats {
    int shots = 0, goals = 0, shGoals = 0, enGoals = 0, faceoffs = 0, ppOpportunities = 0, ppGoals = 0;
    int penalties = 0, onetimers = 0, onetimerGoals = 0, breakaways = 0, hits = 0, shootoutGoals = 0;
    std::array<int, 3> periodGoals{};
    int overtimeGoals = 0;
  };

  void BuildMemory();
  void Play(const ScriptEvent& e);
  void AdvanceClock(int to);
  bool OnIce(int team, int slot, int second) const;
  int PeriodLength() const;
  void AddRecord(const std::array<std::uint8_t, 8>& record);
  void Flush();

  GameDescription game_;
  SimOptions options_;
  SimLayout layout_;
  std::array<std::int32_t, kAddressPatternCount> matchOffsets_{};
  MemoryGameLink link_;

  std::size_t next_ = 0;
  bool inGame_ = false;
  int period_ = 0;  // 0..254, 255 shootout
  int clock_ = 0;   // seconds elapsed in the period
  std::array<std::array<PlayerStats, kPlayersPerTeam>, 2> players_{};
  std::array<TeamStats, 2> teams_{};
  std::vector<std::array<std::uint8_t, 8>> records_;
};

// Convenience: a simulator of a built-in game (see BuiltInGameNames).
Result<std::unique_ptr<GameSimulator>> MakeBuiltInSimulator(std::string_view name, SimOptions options = {});

}  // namespace rw::sim
