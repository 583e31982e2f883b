#include "gamelink/pattern.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "gamelink/scan.h"

namespace rw {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string TwoDigits(std::int32_t n) {
  std::string s = std::to_string(n);
  if (s.size() == 1) s.insert(s.begin(), '0');
  return s;
}

// The two literal bytes of the pattern that are rarest in x86 code (the sum of log counts is
// the log of the product of their frequencies), so that few positions pass the filter; a
// pattern with one literal byte anchors on that byte alone.
scan::Anchor ChooseAnchor(const ArrStr& literalRuns, const std::vector<std::uint64_t>& offsets) {
  constexpr int kNoScore = 1000;
  int best1 = kNoScore, best2 = kNoScore;
  std::size_t off1 = 0, off2 = 0;
  std::uint8_t byte1 = 0, byte2 = 0;
  for (std::size_t i = 0; i < literalRuns.size(); ++i) {
    const std::string& run = literalRuns[i];
    for (std::size_t k = 0; k < run.size(); ++k) {
      const auto b = static_cast<std::uint8_t>(run[k]);
      const int score = scan::CodeByteCommonness(b);
      const std::size_t off = static_cast<std::size_t>(offsets[i]) + k;
      if (score < best1) {
        best2 = best1, off2 = off1, byte2 = byte1;
        best1 = score, off1 = off, byte1 = b;
      } else if (score < best2) {
        best2 = score, off2 = off, byte2 = b;
      }
    }
  }
  scan::Anchor a;
  if (best2 == kNoScore) {
    a.offA = a.offB = off1;
    a.byteA = a.byteB = byte1;
    a.single = true;
  } else if (off1 < off2) {
    a = scan::Anchor{off1, byte1, off2, byte2, false};
  } else {
    a = scan::Anchor{off2, byte2, off1, byte1, false};
  }
  return a;
}

}  // namespace

std::string BytesToHex(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 15];
  }
  return out;
}

std::string SwapHexPairs(std::string_view hex) {
  std::string in(hex);
  if (in.size() % 2) in.insert(in.begin(), '0');
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = in.size(); i >= 2; i -= 2) out.append(in, i - 2, 2);
  return out;
}

std::string BytesToHexLE(std::string_view bytes) {
  return SwapHexPairs(BytesToHex(bytes));
}

Result<std::int32_t> TryHexToInt(std::string_view hex) {
  const std::string text = hex.empty() ? std::string("00") : std::string(hex);
  std::uint64_t value = 0;
  bool ok = true;
  for (char c : text) {
    const int d = HexValue(c);
    if (d < 0) {
      ok = false;
      break;
    }
    value = (value << 4) | static_cast<std::uint64_t>(d);
    if (value > 0xFFFFFFFFull) {
      ok = false;
      break;
    }
  }
  if (!ok) return MakeError(ErrorCode::Conversion, "'$" + text + "' is not a valid integer value");
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t HexToInt(std::string_view hex) {
  auto r = TryHexToInt(hex);
  if (!r) throw ConversionError(r.error().message);
  return *r;
}

std::int32_t BytesToInt(std::string_view bytes) {
  return HexToInt(BytesToHexLE(bytes));
}

std::string SecondsToClock(std::int32_t seconds) {
  const std::int32_t minutes = seconds / 60;
  const std::int32_t rest = seconds - 60 * minutes;
  return TwoDigits(minutes) + ":" + TwoDigits(rest);
}

void ParsePattern(std::string_view pattern, ArrStr& literalRuns, ArrInt& wildcardLengths,
                  ArrStr& wildcardTexts) {
  literalRuns.clear();
  wildcardLengths.clear();
  wildcardTexts.clear();
  if (pattern.size() % 2) return;
  bool prevLiteral = false, prevWildcard = false;
  for (std::size_t i = 0; i < pattern.size(); i += 2) {
    const int hi = HexValue(pattern[i]);
    const int lo = HexValue(pattern[i + 1]);
    if (hi >= 0 && lo >= 0) {
      if (!prevLiteral) literalRuns.emplace_back();
      literalRuns.back() += static_cast<char>(hi * 16 + lo);
      prevLiteral = true;
      prevWildcard = false;
    } else {
      if (!prevWildcard) {
        wildcardLengths.push_back(0);
        wildcardTexts.emplace_back();
      }
      wildcardLengths.back() += 1;
      wildcardTexts.back().append(pattern.substr(i, 2));
      prevWildcard = true;
      prevLiteral = false;
    }
  }
}

std::int32_t LocateRuns(std::string_view code, const ArrStr& literalRuns, const ArrInt& wildcardLengths) {
  if (literalRuns.empty() || literalRuns[0].empty()) return -1;
  // Offsets of the runs from the start of run 0; only the wildcard runs between two literal
  // runs count.
  std::vector<std::uint64_t> offsets(literalRuns.size(), 0);
  for (std::size_t i = 1; i < literalRuns.size(); ++i) {
    const std::int64_t gap = i - 1 < wildcardLengths.size() ? wildcardLengths[i - 1] : 0;
    if (gap < 0) return -1;
    offsets[i] = offsets[i - 1] + literalRuns[i - 1].size() + static_cast<std::uint64_t>(gap);
    if (offsets[i] > code.size()) return -1;
  }
  const std::uint64_t span = offsets.back() + literalRuns.back().size();
  if (span > code.size()) return -1;
  // Candidate starts are [0, end); past 2^31 - 1 an offset is not representable.
  const std::uint64_t end =
      std::min<std::uint64_t>(code.size() - span + 1, static_cast<std::uint64_t>(INT32_MAX) + 1);

  const scan::Anchor anchor = ChooseAnchor(literalRuns, offsets);
  const auto* data = reinterpret_cast<const std::uint8_t*>(code.data());
  for (std::size_t p = 0;; ++p) {
    p = scan::FindAnchor(data, code.size(), anchor, p, static_cast<std::size_t>(end));
    if (p == scan::kNone) return -1;
    bool all = true;
    for (std::size_t i = 0; i < literalRuns.size() && all; ++i) {
      const std::string& run = literalRuns[i];
      all = std::memcmp(code.data() + p + offsets[i], run.data(), run.size()) == 0;
    }
    if (all) return static_cast<std::int32_t>(p);
  }
}

std::int32_t FindPattern(std::string_view code, std::string_view pattern, TPattern& result) {
  result = TPattern{};
  result.Pattern = std::string(pattern);
  ArrStr literals, wildcardTexts;
  ArrInt wildcardLengths;
  ParsePattern(pattern, literals, wildcardLengths, wildcardTexts);
  std::int32_t offset = -1;
  const bool startsLiteral = pattern.size() >= 2 && HexValue(pattern[0]) >= 0 && HexValue(pattern[1]) >= 0;
  if (startsLiteral && !literals.empty()) offset = LocateRuns(code, literals, wildcardLengths);
  if (offset >= 0) {
    const std::size_t pairs = pattern.size() / 2;
    const std::size_t avail = std::min(pairs, code.size() - static_cast<std::size_t>(offset));
    result.MatchHex = BytesToHex(code.substr(static_cast<std::size_t>(offset), avail));
  }
  result.MatchOffset = offset;
  for (const std::string& text : wildcardTexts) {
    const std::size_t at = result.Pattern.find(text);
    std::string capture;
    if (at != std::string::npos && at < result.MatchHex.size())
      capture = result.MatchHex.substr(at, text.size());
    std::string* memHex = nullptr;
    std::string* numHex = nullptr;
    std::int32_t* value = nullptr;
    switch (text[0]) {
      case 'X':
      case 'x':
        memHex = &result.XMemHex, numHex = &result.XNumHex, value = &result.XValue;
        break;
      case 'Y':
      case 'y':
        memHex = &result.YMemHex, numHex = &result.YNumHex, value = &result.YValue;
        break;
      case 'Z':
      case 'z':
        memHex = &result.ZMemHex, numHex = &result.ZNumHex, value = &result.ZValue;
        break;
      default:
        break;  // a run that only skips bytes records nothing
    }
    if (memHex) {
      *memHex = capture;
      *numHex = SwapHexPairs(capture);
      *value = HexToInt(*numHex);
    }
  }
  return offset;
}

}  // namespace rw
