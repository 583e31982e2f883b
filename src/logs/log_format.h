#pragma once
// The game log file (".log", format version 1207), shared byte for byte with the other
// player's copy of the program. Layout (all numbers little-endian):
//
//   offset 0     4 bytes    Version, signed 32-bit, plain
//   offset 4     8 bytes    WrittenAt, OLE date (IEEE 754 double), plain
//   offset 12    8 bytes    GameEndAt, OLE date, plain
//   offset 20    1706 bytes the 853-byte header block, encoded
//   offset 1726  to the end the five tables' cell streams, each without its final LF, encoded
//
// Encoding: each plain byte b is stored as the 16-bit word b + LogKey (high byte 0 or 1).
// docs/log-format.md describes the format in full.

#include <array>
#include <cstdint>
#include <string>

namespace rw {

inline constexpr std::uint64_t kLogVersionOffset = 0;
inline constexpr std::uint64_t kLogWrittenAtOffset = 4;
inline constexpr std::uint64_t kLogGameEndAtOffset = 12;
inline constexpr std::uint64_t kLogHeaderOffset = 20;
inline constexpr std::uint64_t kLogHeaderBlockSize = 853;  // plain bytes; twice that in the file
inline constexpr std::uint64_t kLogTablesOffset = kLogHeaderOffset + 2 * kLogHeaderBlockSize;  // 1726
inline constexpr int kLogTableCount = 5;

// The header block's string fields: a length byte, then the characters, padded to the width.
// Offsets are within the plain block.
inline constexpr std::uint64_t kLogUserField = 0, kLogUserWidth = 65;  // at most 64 characters
inline constexpr std::uint64_t kLogHomeAbbrField = 65, kLogAbbrWidth = 256;
inline constexpr std::uint64_t kLogAwayAbbrField = 321;
inline constexpr std::uint64_t kLogNameField = 577, kLogNameWidth = 256;
inline constexpr std::uint64_t kLogLengthsField = 833;  // L1..L5, signed 32-bit each

// The header of a loaded log, fields in the order the reader documents them.
struct TLogHeader {
  std::int32_t Version = 0;
  std::string LogName;  // the file name the log was written under, at most 255 characters
  std::string User;     // at most 64 characters
  std::string HomeAbbr;
  std::string AwayAbbr;
  double WrittenAt = 0;  // OLE date, local time
  double GameEndAt = 0;  // OLE date, local time
};

// The encoding key: minutes + seconds of WrittenAt plus minutes + seconds of GameEndAt, each
// taken from the millisecond of the day of the stored value (value * 86 400 000 rounded half to
// even, absolute value, modulo 86 400 000). 0..236. Computed from exactly the two stored
// doubles, so writer and reader agree on every value, including ones no clock produces; a value
// that is not finite, or too large to scale, contributes 0.
int LogKey(double writtenAt, double gameEndAt);

// Minutes and seconds of the day that one stored value denotes, by the rule above.
int LogKeyPart(double oleDate);

}  // namespace rw
