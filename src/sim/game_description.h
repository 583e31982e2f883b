#pragma once
// A game description for the simulator: the two teams, the rules and a script of what happens
// in the game. Descriptions are JSON files in the format of docs/game-description.md; a few
// games are built in so they ship without files.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace rw::sim {

inline constexpr int kPlayersPerTeam = 20;
inline constexpr int kFirstGoalieSlot = 18;  // slots 18 and 19 are the goalies
inline constexpr std::size_t kNameFieldSize = 16;
inline constexpr std::size_t kTeamNameSize = 32;
inline constexpr std::size_t kTeamAbbrSize = 3;
inline constexpr std::size_t kMaxScriptEvents = 10000;
inline constexpr std::size_t kMaxEventRecords = 1000;  // records the game's event list can hold
inline constexpr int kRegulationPeriodSeconds = 20 * 60;
inline constexpr int kOvertimePeriodSeconds = 5 * 60;
inline constexpr std::uint8_t kShootoutPeriod = 255;

// Event record kinds as the game writes them.
inline constexpr std::uint8_t kKindGoal = 0x20;
inline constexpr std::uint8_t kKindPowerPlayGoal = 0x21;
inline constexpr std::uint8_t kKindShortHandedGoal = 0x22;
inline constexpr std::uint8_t kKindEmptyNetGoal = 0x24;
inline constexpr std::uint8_t kKindPowerPlayGoal2 = 0x25;
inline constexpr std::uint8_t kKindPenalty = 0x80;
inline constexpr std::uint8_t kNoAssist = 255;
inline constexpr std::uint8_t kGameMisconductCode = 128;

struct PlayerDesc {
  std::string first, last;  // at most 16 bytes each; empty for an unused slot
};

struct TeamDesc {
  std::string name;          // at most 32 bytes
  std::string abbreviation;  // at most 3 bytes
  std::array<PlayerDesc, kPlayersPerTeam> players;
};

struct RulesDesc {
  std::uint32_t word = 0;                // the 4-byte rules word
  std::array<std::uint16_t, 9> block{};  // the nine 16-bit words 96 bytes before it
};

enum class ScriptEventType {
  Start,
  Goal,
  Penalty,
  Shot,
  Hit,
  Faceoff,
  Period,
  Overtime,
  Shootout,
  Record,
  End
};

struct ScriptEvent {
  ScriptEventType type = ScriptEventType::Start;
  std::optional<int> time;  // seconds elapsed in the current period; nullopt: the clock stays
  int team = 0;             // 0 home, 1 away
  int player = 0;           // scorer, penalised player, shooter or hitter (slot 0..19)
  std::uint8_t assist1 = kNoAssist, assist2 = kNoAssist;
  std::uint8_t goalKind = kKindGoal;
  bool onetimer = false, breakaway = false;
  std::uint8_t penaltyCode = 0;
  int count = 1;                      // shots, hits and faceoffs at once
  std::array<std::uint8_t, 8> raw{};  // a Record event's bytes, written as they are
};

struct GameDescription {
  std::string title;
  std::array<TeamDesc, 2> teams;  // home, away
  RulesDesc rules;
  std::vector<ScriptEvent> script;
};

// Parses and checks a description: sizes of names, slots, the order of periods and times, the
// number of events. The error says which entry is wrong.
Result<GameDescription> ParseGameDescription(std::string_view json);

// The games that ship with the program: "default" (a regulation game that shows every kind of
// event), "overtime" (decided in the first overtime) and "shootout".
std::vector<std::string> BuiltInGameNames();
std::optional<std::string_view> BuiltInGameJson(std::string_view name);
Result<GameDescription> BuiltInGame(std::string_view name);

}  // namespace rw::sim
