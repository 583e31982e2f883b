#include "gamedata/refpack.h"

#include <gtest/gtest.h>

#include <random>

namespace rw {
namespace {

Bytes B(std::initializer_list<int> v) {
  Bytes b;
  for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
  return b;
}

Bytes Pattern(std::size_t n, unsigned seed, int alphabet) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(alphabet));
  return b;
}

TEST(RefPack, DecodesHandBuiltCommands) {
  struct Case {
    const char* what;
    Bytes stream;
    std::string expected;
  };
  const Case cases[] = {
      // 4 literals, then a 3-byte copy from 4 back.
      {"literal run and short copy", B({0x10, 0xFB, 0, 0, 7, 0xE0, 'a', 'b', 'c', 'd', 0x00, 0x03, 0xFC}),
       "abcdabc"},
      // One literal riding on a short copy of distance 1: the overlap repeats it.
      {"overlapping copy", B({0x10, 0xFB, 0, 0, 4, 0x01, 0x00, 'a', 0xFC}), "aaaa"},
      // Medium copy (len 4, dist 2) with two literals, end code carrying one literal.
      {"medium copy and end literal", B({0x10, 0xFB, 0, 0, 7, 0x80, 0x80, 0x01, 'x', 'y', 0xFD, 'z'}),
       "xyxyxyz"},
      // Long copy (len 5, dist 1) with one literal.
      {"long copy", B({0x10, 0xFB, 0, 0, 6, 0xC1, 0x00, 0x00, 0x00, 'q', 0xFC}), "qqqqqq"},
      // Flag 0x01 puts a compressed size before the uncompressed one; 0x80 makes both 4 bytes.
      {"compressed-size field", B({0x11, 0xFB, 0, 0, 9, 0, 0, 2, 0xFE, 'h', 'i'}), "hi"},
      {"four-byte sizes", B({0x90, 0xFB, 0, 0, 0, 2, 0xFE, 'h', 'i', 0, 0, 0}), "hi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto out = RefPackDecompress(c.stream, 1 << 20);
    ASSERT_TRUE(out.ok()) << out.error().Describe();
    EXPECT_EQ(ToString(*out), c.expected);
  }
}

TEST(RefPack, RefusesDamagedStreams) {
  struct Case {
    const char* what;
    Bytes stream;
  };
  const Case cases[] = {
      {"unknown header", B({0x12, 0xFB, 0, 0, 1, 0xFD, 'a'})},
      {"reference before the output", B({0x10, 0xFB, 0, 0, 4, 0x01, 0x01, 'a', 0xFC})},
      {"longer than declared", B({0x10, 0xFB, 0, 0, 2, 0x01, 0x00, 'a', 0xFC})},
      {"shorter than declared", B({0x10, 0xFB, 0, 0, 9, 0xFD, 'a'})},
      {"no end command", B({0x10, 0xFB, 0, 0, 4, 0xE0, 'a', 'b', 'c', 'd'})},
      {"cut literals", B({0x10, 0xFB, 0, 0, 4, 0xE0, 'a', 'b'})},
      {"cut command", B({0x10, 0xFB, 0, 0, 4, 0xC1, 0x00})},
      {"too large", B({0x90, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFC})},
      {"more than the stream can hold", B({0x10, 0xFB, 0x0F, 0xFF, 0xFF, 0xC3, 0xFF, 0xFF, 0xFF, 'a', 0xFC})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(RefPackDecompress(c.stream, 1 << 20).ok());
  }
}

TEST(RefPack, RoundTrips) {
  Bytes longRun(5000, 0x41);
  Bytes text;
  for (int i = 0; i < 400; ++i) {
    const std::string line = "PLAY" + std::to_string(i % 37) + " Smith, John; ";
    text.insert(text.end(), line.begin(), line.end());
  }
  // Far repeats: a 40 KB random block copied again 20 KB, 60 KB and 100 KB later.
  Bytes far = Pattern(20000, 7, 256);
  for (int k = 0; k < 4; ++k) {
    const Bytes chunk = Pattern(20000, 7, 256);
    far.insert(far.end(), chunk.begin(), chunk.end());
  }
  const struct {
    const char* what;
    Bytes data;
  } cases[] = {
      {"empty", {}},
      {"one byte", B({7})},
      {"three bytes", B({1, 2, 3})},
      {"long run", longRun},
      {"text", text},
      {"random", Pattern(3000, 1, 256)},
      {"small alphabet", Pattern(70000, 2, 3)},
      {"far repeats", far},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto packed = RefPackCompress(c.data);
    ASSERT_TRUE(packed.ok());
    ASSERT_TRUE(IsRefPack(*packed));
    auto back = RefPackDecompress(*packed, 1 << 24);
    ASSERT_TRUE(back.ok()) << back.error().Describe();
    EXPECT_EQ(*back, c.data);
  }
  EXPECT_LT(RefPackCompress(longRun)->size(), 60u);
  EXPECT_LT(RefPackCompress(far)->size(), 30000u);
}

TEST(RefPack, EveryPrefixOfAStreamIsRefused) {
  const Bytes data = Pattern(2000, 3, 5);
  const Bytes packed = *RefPackCompress(data);
  for (std::size_t n = 0; n < packed.size(); ++n) {
    EXPECT_FALSE(RefPackDecompress(ByteSpan(packed).first(n), 1 << 20).ok()) << n;
  }
  // Zero padding after the end command is harmless.
  Bytes padded = packed;
  padded.insert(padded.end(), 13, 0);
  EXPECT_EQ(*RefPackDecompress(padded, 1 << 20), data);
}

TEST(RefPack, CorruptedStreamsNeverCrash) {
  const Bytes packed = *RefPackCompress(Pattern(4000, 4, 6));
  std::mt19937 rng(99);
  for (int i = 0; i < 3000; ++i) {
    Bytes bad = packed;
    for (int k = 0; k < 3; ++k) bad[2 + rng() % (bad.size() - 2)] = static_cast<std::uint8_t>(rng());
    auto out = RefPackDecompress(bad, 1 << 16);
    if (out.ok()) {
      EXPECT_LE(out->size(), 1u << 16);
    }
  }
}

}  // namespace
}  // namespace rw
