#pragma once
// The simulated game's code section: plausible x86 filler with each of the eight address
// patterns placed once, its capture pointing at the simulator's data, and decoys before each
// real match so that a search must check every literal run and take the first full match.

#include <array>
#include <cstdint>
#include <optional>

#include "common/bytes.h"
#include "gamelink/discovery.h"

namespace rw::sim {

struct CodeSectionPlan {
  std::size_t size = 64 * 1024;  // at least kMinCodeSize
  // The address each pattern's capture carries (the wanted data address, or a chosen value).
  std::array<std::uint32_t, kAddressPatternCount> captures{};
  // Patterns left out of the code (their decoys stay).
  std::array<bool, kAddressPatternCount> missing{};
  std::uint32_t dataBase = 0;  // filler loads and stores point near here
  std::uint32_t seed = 2007;
};
inline constexpr std::size_t kMinCodeSize = 8 * 1024;

struct CodeSection {
  Bytes bytes;
  // Offset of each real match in the code; -1 for a missing pattern.
  std::array<std::int32_t, kAddressPatternCount> matchOffsets{};
};

CodeSection BuildCodeSection(const CodeSectionPlan& plan);

}  // namespace rw::sim
