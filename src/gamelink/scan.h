#pragma once
// The candidate filter under the code-pattern search: finds positions where two chosen literal
// bytes of a pattern both sit at their offsets, at memory speed. The pattern search verifies each
// candidate in full; this unit only has to be exact about which positions pass the two-byte test.
//
// Anchoring on two individually rare bytes of the pattern (instead of its first byte, which in
// x86 code is often a common opcode such as 8B or 0F) keeps candidates sparse on real code.

#include <cstddef>
#include <cstdint>

namespace rw::scan {

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Instruction sets the filter can use. Scalar works everywhere; the others are picked at run
// time when the processor has them (a build without compiler support still works).
enum class Level { Scalar, Sse2, Avx2, Avx512 };

bool Supported(Level level);
Level BestLevel();  // the widest supported level, decided once
const char* LevelName(Level level);

// How common a byte is in x86 machine code: larger is more common (log scale, 0..255). Taken
// from the byte histogram of a large body of compiled x86 code.
std::uint8_t CodeByteCommonness(std::uint8_t byte);

// Two bytes of a pattern and their offsets from the pattern's start. offB >= offA; when the
// pattern has a single literal byte, `single` is set and only A is tested.
struct Anchor {
  std::size_t offA = 0;
  std::uint8_t byteA = 0;
  std::size_t offB = 0;
  std::uint8_t byteB = 0;
  bool single = false;
};

// The first p in [from, end) with data[p + offA] == byteA and (unless single)
// data[p + offB] == byteB; kNone when there is none. The caller guarantees
// end + max(offA, offB) <= size, so no byte at or past data + size is ever read.
std::size_t FindAnchor(const std::uint8_t* data, std::size_t size, const Anchor& anchor, std::size_t from,
                       std::size_t end, Level level);
inline std::size_t FindAnchor(const std::uint8_t* data, std::size_t size, const Anchor& anchor,
                              std::size_t from, std::size_t end) {
  return FindAnchor(data, size, anchor, from, end, BestLevel());
}

}  // namespace rw::scan
