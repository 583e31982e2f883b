#pragma once
// The code-pattern search and the small hex and number conversions around it.
//
// A pattern is hex text read in two-character pairs: a pair of two hex digits is a literal
// byte, any other pair a wildcard byte. Consecutive literal pairs form a literal run,
// consecutive wildcard pairs a wildcard run; a wildcard run starting with X, Y or Z (either
// case) is captured into that letter's fields of TPattern.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace rw {

using ArrInt = std::vector<std::int32_t>;
using ArrStr = std::vector<std::string>;

struct TPattern {
  std::string Pattern;
  std::string MatchHex;  // matched bytes as uppercase hex; empty without a match
  std::int32_t MatchOffset = -1;
  std::string XMemHex, YMemHex, ZMemHex;  // captured bytes, memory order
  std::string XNumHex, YNumHex, ZNumHex;  // the same, most significant byte first
  std::int32_t XValue = 0, YValue = 0, ZValue = 0;
};

// Raised by HexToInt for a text that is not a hex number below 2^32; reaches the user
// through the general error handler.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string BytesToHex(std::string_view bytes);    // "\x2C\x01" -> "2C01"
std::string SwapHexPairs(std::string_view hex);    // "A1B2C3" -> "C3B2A1", "ABC" -> "BC0A"
std::string BytesToHexLE(std::string_view bytes);  // SwapHexPairs(BytesToHex(bytes))
// "" counts as "00"; otherwise hex digits of either case, below 2^32, taken as two's complement.
Result<std::int32_t> TryHexToInt(std::string_view hex);
std::int32_t HexToInt(std::string_view hex);       // throws ConversionError
std::int32_t BytesToInt(std::string_view bytes);   // little-endian; no bytes give 0
std::string SecondsToClock(std::int32_t seconds);  // 65 -> "01:05", 6000 -> "100:00"

// Splits a pattern into its runs. A pattern of odd length gives three empty results.
void ParsePattern(std::string_view pattern, ArrStr& literalRuns, ArrInt& wildcardLengths,
                  ArrStr& wildcardTexts);

// The first offset p at which literal run 0 occurs (overlapping occurrences included) and every
// later literal run i matches at p + D_i, all inside `code`; -1 when there is none.
std::int32_t LocateRuns(std::string_view code, const ArrStr& literalRuns, const ArrInt& wildcardLengths);

// Searches `code` for `pattern` and fills `result`; returns MatchOffset. A pattern that breaks
// the syntax (odd length, a wildcard pair first, no literal pair) finds nothing.
std::int32_t FindPattern(std::string_view code, std::string_view pattern, TPattern& result);

}  // namespace rw
