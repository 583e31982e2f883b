// The fast pattern scan against a plain reference. Buffers live in exact-size heap blocks so
// that AddressSanitizer reports any read past their end.

#include "gamelink/scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gamelink/discovery.h"
#include "gamelink/pattern.h"

namespace rw {
namespace {

using namespace std::string_literals;

// The definition, position by position: the first occurrence of run 0 at which every later run
// matches at its distance, everything inside the code.
std::int32_t NaiveLocate(std::string_view code, const ArrStr& runs, const ArrInt& gaps) {
  if (runs.empty() || runs[0].empty()) return -1;
  std::vector<std::uint64_t> d(runs.size(), 0);
  for (std::size_t i = 1; i < runs.size(); ++i) {
    const std::int64_t g = i - 1 < gaps.size() ? gaps[i - 1] : 0;
    if (g < 0) return -1;
    d[i] = d[i - 1] + runs[i - 1].size() + static_cast<std::uint64_t>(g);
  }
  for (std::size_t p = 0; p < code.size(); ++p) {
    bool all = true;
    for (std::size_t i = 0; i < runs.size() && all; ++i) {
      all = p + d[i] + runs[i].size() <= code.size() && code.substr(p + d[i], runs[i].size()) == runs[i];
    }
    if (all) return static_cast<std::int32_t>(p);
  }
  return -1;
}

// An exactly sized copy: one byte past it is outside the allocation.
struct ExactBuffer {
  explicit ExactBuffer(std::string_view s) : bytes(s.begin(), s.end()) {}
  std::string_view view() const { return std::string_view(bytes.data(), bytes.size()); }
  std::vector<char> bytes;
};

std::vector<scan::Level> Levels() {
  std::vector<scan::Level> out;
  for (scan::Level l : {scan::Level::Scalar, scan::Level::Sse2, scan::Level::Avx2, scan::Level::Avx512}) {
    if (scan::Supported(l)) out.push_back(l);
  }
  return out;
}

// Buffers from a small alphabet so that anchors hit often, in sizes around the vector widths.
std::string RandomBytes(std::mt19937& rng, std::size_t n, int alphabet) {
  static const char kAlphabet[] = {'\x00', '\x8B', '\x7C', '\xFF', '\x0F', '\x90', '\x01', '\xE8'};
  std::uniform_int_distribution<int> pick(0, alphabet - 1);
  std::string s(n, '\0');
  for (char& c : s) c = kAlphabet[pick(rng)];
  return s;
}

TEST(Scan, AnchorFilterAgreesWithScalarOnEveryLevel) {
  std::mt19937 rng(12345);
  for (int iter = 0; iter < 3000; ++iter) {
    const std::size_t size = std::uniform_int_distribution<std::size_t>(0, iter % 10 == 0 ? 4000 : 600)(rng);
    const ExactBuffer buf(RandomBytes(rng, size, 2 + iter % 6));
    const auto* data = reinterpret_cast<const std::uint8_t*>(buf.bytes.data());
    scan::Anchor a;
    a.offA = std::uniform_int_distribution<std::size_t>(0, 20)(rng);
    a.offB = a.offA + std::uniform_int_distribution<std::size_t>(iter % 7 == 0 ? 0 : 1, 70)(rng);
    a.byteA = static_cast<std::uint8_t>(RandomBytes(rng, 1, 4)[0]);
    a.byteB = static_cast<std::uint8_t>(RandomBytes(rng, 1, 4)[0]);
    a.single = iter % 11 == 0;
    if (a.offB >= size) continue;
    const std::size_t end = size - a.offB;
    const std::size_t from = std::uniform_int_distribution<std::size_t>(0, end)(rng);
    std::size_t expected = scan::kNone;
    for (std::size_t p = from; p < end; ++p) {
      if (data[p + a.offA] == a.byteA && (a.single || data[p + a.offB] == a.byteB)) {
        expected = p;
        break;
      }
    }
    for (scan::Level level : Levels()) {
      SCOPED_TRACE(std::string(scan::LevelName(level)) + " iter " + std::to_string(iter));
      ASSERT_EQ(scan::FindAnchor(data, size, a, from, end, level), expected);
    }
  }
}

TEST(Scan, LocateRunsAgreesWithTheDefinition) {
  std::mt19937 rng(777);
  for (int iter = 0; iter < 20000; ++iter) {
    SCOPED_TRACE(iter);
    ArrStr runs;
    ArrInt gaps;
    const int nRuns = std::uniform_int_distribution<int>(1, 4)(rng);
    const int alphabet = 2 + iter % 4;
    for (int i = 0; i < nRuns; ++i) {
      runs.push_back(RandomBytes(rng, std::uniform_int_distribution<std::size_t>(1, 5)(rng), alphabet));
      if (i + 1 < nRuns) gaps.push_back(std::uniform_int_distribution<int>(1, 4)(rng));
    }
    const std::size_t size = std::uniform_int_distribution<std::size_t>(0, iter % 20 == 0 ? 3000 : 260)(rng);
    std::string code = RandomBytes(rng, size, alphabet + 1);
    // Plant the pattern (wildcards from the code) at offset 0, at the very end, or anywhere.
    std::string planted;
    for (int i = 0; i < nRuns; ++i) {
      planted += runs[static_cast<std::size_t>(i)];
      if (i + 1 < nRuns)
        planted += std::string(static_cast<std::size_t>(gaps[static_cast<std::size_t>(i)]), '\x55');
    }
    if (planted.size() <= code.size() && iter % 3 != 2) {
      const std::size_t last = code.size() - planted.size();
      const std::size_t at = iter % 3 == 0 ? last : std::uniform_int_distribution<std::size_t>(0, last)(rng);
      code.replace(at, planted.size(), planted);
    }
    const ExactBuffer buf(code);
    ASSERT_EQ(LocateRuns(buf.view(), runs, gaps), NaiveLocate(buf.view(), runs, gaps));
  }
}

TEST(Scan, Pitfalls) {
  struct Case {
    const char* name;
    std::string code, pattern;
    std::int32_t offset;
  };
  const std::string zeros(1000, '\0');
  const Case cases[] = {
      {"match ends on the last byte", zeros + "\x7C\x07\x01"s, "7C0701", 1000},
      {"split match ends on the last byte", zeros + "\x7C\x07\x55\x01"s, "7C07XX01", 1000},
      {"pattern longer than the buffer", "\x7C\x07"s, "7C0701", -1},
      {"later run would pass the end", zeros + "\x7C\x07\x55"s, "7C07XX01", -1},
      {"match at offset 0", "\x7C\x07\x01"s + zeros, "7C0701", 0},
      {"one-byte buffer", "\x7C", "7C", 0},
      {"empty buffer", "", "7C", -1},
      {"repeated bytes", std::string(300, '\xAA') + "\xAB"s, "AAAAAB", 298},
      {"repeated bytes, wildcard", std::string(300, '\xAA') + "\x01\xAB"s, "AAAAXXAB", 298},
      {"restart at the next byte", "\x0F\x0F\x0F\x8B"s, "0F0F8B", 1},
      {"rare anchor in a later run", zeros + "\xE8\x00\xC2"s + zeros, "E8XXC2", 1000},
      {"only common bytes", zeros + "\x00\x01"s, "000001", 999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExactBuffer buf(c.code);
    TPattern r;
    EXPECT_EQ(FindPattern(buf.view(), c.pattern, r), c.offset);
  }
}

// Each of the game's patterns, planted once at the very end of a large buffer, is found there.
TEST(Scan, GamePatternsAtTheEndOfALargeBuffer) {
  const auto& patterns = kAddressPatterns;
  std::mt19937 rng(99);
  std::string base(1 << 20, '\0');
  for (char& c : base) c = static_cast<char>(rng());
  for (std::string_view p : patterns) {
    SCOPED_TRACE(std::string(p));
    std::string bytes;
    for (std::size_t i = 0; i + 1 < std::string_view(p).size(); i += 2) {
      const std::string pair(p.substr(i, 2));
      bytes += pair == "XX" || pair == "LL" || pair == "MM" ? '\x44'
                                                            : static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    const ExactBuffer buf(base + bytes);
    TPattern r;
    EXPECT_EQ(FindPattern(buf.view(), p, r), static_cast<std::int32_t>(base.size()));
    EXPECT_EQ(r.XValue, 0x44444444);
  }
}

}  // namespace
}  // namespace rw
