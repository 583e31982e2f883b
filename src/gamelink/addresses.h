#pragma once
// DataAddresses: the game-memory addresses found by address discovery; 0 until it has run.
// Each discovery replaces all of them.

#include <array>
#include <cstdint>

namespace rw {

// The team statistics fields, in the order of their offsets from a team's base address.
enum class TeamStatField {
  Shot,
  Goal,
  SHGoal,
  ENGoal,
  Faceoff,
  PPSecond,
  PPFirst,
  Penalties,
  Onetimers,
  OnetimerGoal,
  Breakaway,
  Hits,
  GP1,
  GP2,
  GP3,
  GOT,
};
inline constexpr int kTeamStatFieldCount = 16;
// Offset of each field from the team's base (TeamStatsAddress, + 92 for the away team).
inline constexpr std::array<std::int32_t, kTeamStatFieldCount> kTeamStatOffsets = {
    -2, 0, 6, 10, 14, 18, 20, 26, 32, 36, 38, 46, 56, 57, 58, 59};
// Bytes read per field: the two "PP" numbers are 16-bit, the rest single bytes.
inline constexpr std::array<std::int32_t, kTeamStatFieldCount> kTeamStatSizes = {1, 1, 1, 1, 1, 2, 2, 1,
                                                                                 1, 1, 1, 1, 1, 1, 1, 1};
inline constexpr std::uint32_t kTeamStatsStride = 92;
inline constexpr std::uint32_t kRulesBlockBack = 96;  // rules block = rules word - 96

struct DataAddresses {
  std::uint32_t RulesWordAddress = 0;
  std::uint32_t RulesBlockAddress = 0;
  std::uint32_t EventListAddress = 0;
  std::uint32_t InGameFlagAddress = 0;
  std::uint32_t TeamBlockAddress = 0;
  std::uint32_t PlayerStatsAddress = 0;
  std::uint32_t PeriodAddress = 0;
  std::uint32_t AuxByteAddress = 0;
  std::uint32_t AuxByte2Address = 0;
  std::uint32_t TeamStatsAddress = 0;
  // [team][field]: team 0 home, 1 away.
  std::array<std::array<std::uint32_t, kTeamStatFieldCount>, 2> TeamStatFields{};

  std::uint32_t Field(int team, TeamStatField f) const {
    return TeamStatFields[static_cast<std::size_t>(team)][static_cast<std::size_t>(f)];
  }
  friend bool operator==(const DataAddresses&, const DataAddresses&) = default;
};

}  // namespace rw
