#include "gamelink/scan.h"

#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define RW_SCAN_SSE2 1
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#define RW_SCAN_WIDE 1
#endif

namespace rw::scan {
namespace {

// log(count + 1) scaled so that the most common byte (00) is 255; one row per high nibble.
constexpr std::uint8_t kCommonness[256] = {
    255, 222, 206, 205, 212, 201, 190, 194, 216, 191, 180, 178, 191, 183, 176, 228,  // 00
    214, 196, 179, 173, 187, 176, 172, 171, 203, 169, 169, 169, 182, 169, 169, 199,  // 10
    206, 182, 165, 166, 234, 189, 166, 166, 204, 189, 165, 171, 181, 166, 188, 166,  // 20
    197, 206, 165, 171, 180, 181, 164, 167, 193, 206, 168, 191, 185, 178, 169, 173,  // 30
    203, 220, 176, 191, 218, 201, 182, 187, 247, 218, 174, 178, 224, 199, 173, 174,  // 40
    197, 168, 165, 188, 194, 187, 184, 188, 186, 161, 158, 187, 190, 186, 184, 183,  // 50
    187, 162, 160, 171, 191, 166, 212, 162, 185, 165, 162, 167, 186, 168, 167, 173,  // 60
    188, 163, 180, 181, 214, 202, 174, 179, 187, 166, 160, 176, 197, 174, 176, 182,  // 70
    198, 191, 169, 218, 219, 212, 169, 176, 185, 237, 157, 232, 185, 219, 163, 162,  // 80
    188, 160, 163, 160, 188, 166, 159, 159, 177, 156, 155, 155, 175, 158, 157, 160,  // 90
    182, 155, 155, 163, 167, 155, 155, 156, 180, 162, 170, 160, 177, 157, 157, 165,  // A0
    182, 160, 159, 161, 184, 162, 188, 180, 191, 186, 188, 168, 193, 170, 187, 175,  // B0
    210, 210, 189, 199, 188, 190, 196, 209, 192, 191, 178, 168, 167, 171, 177, 174,  // C0
    186, 184, 187, 176, 166, 171, 176, 173, 186, 174, 176, 182, 163, 172, 182, 192,  // D0
    195, 184, 180, 173, 173, 174, 183, 186, 221, 203, 182, 202, 180, 185, 187, 192,  // E0
    195, 178, 179, 182, 167, 175, 198, 193, 198, 187, 186, 185, 182, 201, 208, 230,  // F0
};

std::size_t CountTrailingZeros(std::uint64_t v) {
  return static_cast<std::size_t>(__builtin_ctzll(v));
}

// Positions [p, end) one at a time; also the tail of every vector path.
std::size_t ScanScalar(const std::uint8_t* d, const Anchor& a, std::size_t p, std::size_t end) {
  const std::uint8_t* pa = d + a.offA;
  const std::uint8_t* pb = d + a.offB;
  for (; p < end; ++p) {
    if (pa[p] == a.byteA && pb[p] == a.byteB) return p;
  }
  return kNone;
}

// memchr on byte A (glibc vectorises it), then a look at byte B: the portable path.
std::size_t ScanMemchr(const std::uint8_t* d, const Anchor& a, std::size_t p, std::size_t end) {
  const std::uint8_t* pa = d + a.offA;
  while (p < end) {
    const void* hit = std::memchr(pa + p, a.byteA, end - p);
    if (!hit) return kNone;
    p = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - pa);
    if (a.single || d[a.offB + p] == a.byteB) return p;
    ++p;
  }
  return kNone;
}

#ifdef RW_SCAN_SSE2
std::size_t ScanSse2(const std::uint8_t* d, const Anchor& a, std::size_t p, std::size_t end) {
  const __m128i va = _mm_set1_epi8(static_cast<char>(a.byteA));
  const __m128i vb = _mm_set1_epi8(static_cast<char>(a.byteB));
  const std::uint8_t* pa = d + a.offA;
  const std::uint8_t* pb = d + a.offB;
  auto match = [&](std::size_t at) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa + at));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb + at));
    return _mm_and_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(y, vb));
  };
  while (end - p >= 64) {
    const __m128i m0 = match(p), m1 = match(p + 16), m2 = match(p + 32), m3 = match(p + 48);
    const __m128i any = _mm_or_si128(_mm_or_si128(m0, m1), _mm_or_si128(m2, m3));
    if (_mm_movemask_epi8(any) != 0) {
      const std::uint64_t bits = static_cast<std::uint64_t>(_mm_movemask_epi8(m0)) |
                                 static_cast<std::uint64_t>(_mm_movemask_epi8(m1)) << 16 |
                                 static_cast<std::uint64_t>(_mm_movemask_epi8(m2)) << 32 |
                                 static_cast<std::uint64_t>(_mm_movemask_epi8(m3)) << 48;
      return p + CountTrailingZeros(bits);
    }
    p += 64;
  }
  while (end - p >= 16) {
    const int bits = _mm_movemask_epi8(match(p));
    if (bits != 0) return p + CountTrailingZeros(static_cast<std::uint64_t>(bits));
    p += 16;
  }
  return ScanScalar(d, a, p, end);
}
#endif

#ifdef RW_SCAN_WIDE
__attribute__((target("avx2"))) std::size_t ScanAvx2(const std::uint8_t* d, const Anchor& a, std::size_t p,
                                                     std::size_t end) {
  const __m256i va = _mm256_set1_epi8(static_cast<char>(a.byteA));
  const __m256i vb = _mm256_set1_epi8(static_cast<char>(a.byteB));
  const std::uint8_t* pa = d + a.offA;
  const std::uint8_t* pb = d + a.offB;
  auto match = [&](std::size_t at) __attribute__((target("avx2"))) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pa + at));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pb + at));
    return _mm256_and_si256(_mm256_cmpeq_epi8(x, va), _mm256_cmpeq_epi8(y, vb));
  };
  auto bits = [&](__m256i m) __attribute__((target("avx2"))) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(m)));
  };
  while (end - p >= 128) {
    const __m256i m0 = match(p), m1 = match(p + 32), m2 = match(p + 64), m3 = match(p + 96);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(m0, m1), _mm256_or_si256(m2, m3));
    if (!_mm256_testz_si256(any, any)) {
      const std::uint64_t low = bits(m0) | bits(m1) << 32;
      if (low != 0) return p + CountTrailingZeros(low);
      return p + 64 + CountTrailingZeros(bits(m2) | bits(m3) << 32);
    }
    p += 128;
  }
  while (end - p >= 32) {
    const std::uint64_t b = bits(match(p));
    if (b != 0) return p + CountTrailingZeros(b);
    p += 32;
  }
  return ScanScalar(d, a, p, end);
}

__attribute__((target("avx512f,avx512bw"))) std::size_t ScanAvx512(const std::uint8_t* d, const Anchor& a,
                                                                   std::size_t p, std::size_t end) {
  const __m512i va = _mm512_set1_epi8(static_cast<char>(a.byteA));
  const __m512i vb = _mm512_set1_epi8(static_cast<char>(a.byteB));
  const std::uint8_t* pa = d + a.offA;
  const std::uint8_t* pb = d + a.offB;
  auto match = [&](std::size_t at) __attribute__((target("avx512f,avx512bw"))) {
    const __m512i x = _mm512_loadu_si512(pa + at);
    const __m512i y = _mm512_loadu_si512(pb + at);
    return static_cast<std::uint64_t>(_mm512_mask_cmpeq_epi8_mask(_mm512_cmpeq_epi8_mask(x, va), y, vb));
  };
  while (end - p >= 128) {
    const std::uint64_t m0 = match(p), m1 = match(p + 64);
    if ((m0 | m1) != 0) return m0 != 0 ? p + CountTrailingZeros(m0) : p + 64 + CountTrailingZeros(m1);
    p += 128;
  }
  while (end - p >= 64) {
    const std::uint64_t m = match(p);
    if (m != 0) return p + CountTrailingZeros(m);
    p += 64;
  }
  return ScanScalar(d, a, p, end);
}
#endif

Level DetectBest() {
#ifdef RW_SCAN_WIDE
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) return Level::Avx512;
  if (__builtin_cpu_supports("avx2")) return Level::Avx2;
#endif
#ifdef RW_SCAN_SSE2
  return Level::Sse2;
#else
  return Level::Scalar;
#endif
}

}  // namespace

bool Supported(Level level) {
  switch (level) {
    case Level::Scalar:
      return true;
    case Level::Sse2:
#ifdef RW_SCAN_SSE2
      return true;
#else
      return false;
#endif
    case Level::Avx2:
      return BestLevel() == Level::Avx2 || BestLevel() == Level::Avx512;
    case Level::Avx512:
      return BestLevel() == Level::Avx512;
  }
  return false;
}

Level BestLevel() {
  static const Level best = DetectBest();
  return best;
}

const char* LevelName(Level level) {
  switch (level) {
    case Level::Scalar:
      return "scalar";
    case Level::Sse2:
      return "sse2";
    case Level::Avx2:
      return "avx2";
    case Level::Avx512:
      return "avx512";
  }
  return "?";
}

std::uint8_t CodeByteCommonness(std::uint8_t byte) {
  return kCommonness[byte];
}

std::size_t FindAnchor(const std::uint8_t* data, std::size_t size, const Anchor& anchor, std::size_t from,
                       std::size_t end, Level level) {
  // The bound is the caller's promise: end + offB <= size.
  if (from >= end || anchor.offB < anchor.offA || end + anchor.offB > size) return kNone;
  if (anchor.single) return ScanMemchr(data, anchor, from, end);
  switch (level) {
#ifdef RW_SCAN_WIDE
    case Level::Avx512:
      if (Supported(Level::Avx512)) return ScanAvx512(data, anchor, from, end);
      break;
    case Level::Avx2:
      if (Supported(Level::Avx2)) return ScanAvx2(data, anchor, from, end);
      break;
#endif
#ifdef RW_SCAN_SSE2
    case Level::Sse2:
      return ScanSse2(data, anchor, from, end);
#endif
    default:
      break;
  }
  return ScanMemchr(data, anchor, from, end);
}

}  // namespace rw::scan
