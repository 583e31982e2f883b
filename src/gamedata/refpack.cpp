#include "gamedata/refpack.h"

#include <algorithm>
#include <array>
#include <vector>

namespace rw {
namespace {

constexpr std::size_t kWindow = 131072;  // longest distance a command can express
constexpr std::size_t kMaxMatch = 1028;  // longest copy of one command
constexpr std::size_t kHashBits = 15;
constexpr int kMaxChain = 48;  // candidates tried per position: bounds the encoder's work

Error Broken(const char* what, std::size_t at) {
  return MakeError(ErrorCode::Invalid, std::string("RefPack stream: ") + what, static_cast<std::int64_t>(at));
}

}  // namespace

bool IsRefPack(ByteSpan data) {
  if (data.size() < 2 || data[1] != 0xFB) return false;
  const std::uint8_t f = data[0];
  return f == 0x10 || f == 0x11 || f == 0x90 || f == 0x91;
}

Result<Bytes> RefPackDecompress(ByteSpan in, std::uint64_t maxOutput) {
  if (in.size() < 2) return MakeError(ErrorCode::Truncated, "RefPack stream: no header", 0);
  if (!IsRefPack(in)) return Broken("unknown header", 0);
  const std::uint8_t flags = in[0];
  const std::size_t sizeLen = (flags & 0x80) ? 4 : 3;
  std::size_t pos = 2;
  if (flags & 0x01) pos += sizeLen;  // compressed size: not needed, the end command closes the stream
  if (!RangeOk(in.size(), pos, sizeLen))
    return MakeError(ErrorCode::Truncated, "RefPack stream: short header", 0);
  std::uint64_t declared = 0;
  for (std::size_t i = 0; i < sizeLen; ++i) declared = (declared << 8) | in[pos + i];
  pos += sizeLen;
  if (declared > maxOutput) {
    return MakeError(ErrorCode::TooLarge,
                     "RefPack stream: uncompressed size " + std::to_string(declared) + " is too large", 2);
  }
  // No command yields more than 258 output bytes per input byte (a 4-byte copy of 1028 bytes
  // plus 3 literals), so a larger size is a lie; refusing it keeps a tiny stream from
  // reserving a huge buffer.
  if (declared > static_cast<std::uint64_t>(in.size()) * 258) {
    return Broken("uncompressed size impossible for the stream's length", 2);
  }
  Bytes out;
  out.reserve(static_cast<std::size_t>(declared));

  // Every pass of the loop consumes at least one input byte, so it ends.
  while (true) {
    const std::size_t at = pos;
    if (pos >= in.size()) return MakeError(ErrorCode::Truncated, "RefPack stream: no end command", at);
    const std::uint8_t b0 = in[pos];
    std::size_t literals = 0, length = 0, distance = 0, cmdLen = 1;
    bool end = false;
    if (b0 < 0x80) {
      cmdLen = 2;
    } else if (b0 < 0xC0) {
      cmdLen = 3;
    } else if (b0 < 0xE0) {
      cmdLen = 4;
    }
    if (!RangeOk(in.size(), pos, cmdLen))
      return MakeError(ErrorCode::Truncated, "RefPack stream: cut command", at);
    const std::uint8_t b1 = cmdLen > 1 ? in[pos + 1] : 0;
    const std::uint8_t b2 = cmdLen > 2 ? in[pos + 2] : 0;
    const std::uint8_t b3 = cmdLen > 3 ? in[pos + 3] : 0;
    if (b0 < 0x80) {
      literals = b0 & 3;
      length = ((b0 >> 2) & 7) + 3;
      distance = ((static_cast<std::size_t>(b0 >> 5) & 3) << 8 | b1) + 1;
    } else if (b0 < 0xC0) {
      literals = b1 >> 6;
      length = (b0 & 0x3F) + 4;
      distance = ((static_cast<std::size_t>(b1) & 0x3F) << 8 | b2) + 1;
    } else if (b0 < 0xE0) {
      literals = b0 & 3;
      length = ((static_cast<std::size_t>(b0 >> 2) & 3) << 8 | b3) + 5;
      distance = ((static_cast<std::size_t>(b0 >> 4) & 1) << 16 | static_cast<std::size_t>(b1) << 8 | b2) + 1;
    } else if (b0 < 0xFC) {
      literals = (static_cast<std::size_t>(b0 & 0x1F) + 1) * 4;
    } else {
      literals = b0 & 3;
      end = true;
    }
    pos += cmdLen;
    if (!RangeOk(in.size(), pos, literals))
      return MakeError(ErrorCode::Truncated, "RefPack stream: cut literals", at);
    if (out.size() + literals + length > declared) return Broken("output longer than declared", at);
    out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(pos),
               in.begin() + static_cast<std::ptrdiff_t>(pos + literals));
    pos += literals;
    if (length > 0) {
      if (distance > out.size()) return Broken("reference before the start of the output", at);
      const std::size_t from = out.size() - distance;
      for (std::size_t i = 0; i < length; ++i) out.push_back(out[from + i]);  // overlap repeats data
    }
    if (end) break;
  }
  if (out.size() != declared) return Broken("output shorter than declared", pos);
  return out;
}

namespace {

class Encoder {
 public:
  explicit Encoder(ByteSpan in) : in_(in), head_(std::size_t{1} << kHashBits, kNone), prev_(kWindow, kNone) {}

  Bytes Run() {
    const std::uint64_t n = in_.size();
    if (n >= (std::uint64_t{1} << 24)) {
      out_.push_back(0x90);
      out_.push_back(0xFB);
      for (int s = 24; s >= 0; s -= 8) out_.push_back(static_cast<std::uint8_t>(n >> s));
    } else {
      out_.push_back(0x10);
      out_.push_back(0xFB);
      for (int s = 16; s >= 0; s -= 8) out_.push_back(static_cast<std::uint8_t>(n >> s));
    }
    std::size_t pos = 0, litStart = 0;
    while (pos < in_.size()) {
      std::size_t len = 0, dist = 0;
      FindMatch(pos, len, dist);
      if (len == 0) {
        Insert(pos);
        ++pos;
        continue;
      }
      EmitLiteralsDownTo3(litStart, pos);
      const std::size_t pending = pos - litStart;
      EmitCopy(litStart, pending, len, dist);
      for (std::size_t i = 0; i < len; ++i) Insert(pos + i);
      pos += len;
      litStart = pos;
    }
    EmitLiteralsDownTo3(litStart, in_.size());
    const std::size_t rest = in_.size() - litStart;
    out_.push_back(static_cast<std::uint8_t>(0xFC | rest));
    Append(litStart, rest);
    return std::move(out_);
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::size_t Hash(std::size_t p) const {
    const std::uint32_t v =
        static_cast<std::uint32_t>(in_[p]) << 16 | static_cast<std::uint32_t>(in_[p + 1]) << 8 | in_[p + 2];
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  void Insert(std::size_t p) {
    if (p + 3 > in_.size()) return;
    const std::size_t h = Hash(p);
    prev_[p % kWindow] = head_[h];
    head_[h] = p;
  }
  void FindMatch(std::size_t pos, std::size_t& bestLen, std::size_t& bestDist) const {
    bestLen = 0;
    if (pos + 3 > in_.size()) return;
    const std::size_t maxLen = std::min(kMaxMatch, in_.size() - pos);
    std::size_t cand = head_[Hash(pos)];
    for (int chain = 0; chain < kMaxChain && cand != kNone && pos - cand <= kWindow; ++chain) {
      std::size_t l = 0;
      while (l < maxLen && in_[cand + l] == in_[pos + l]) ++l;
      const std::size_t d = pos - cand;
      const bool usable = l >= 5 || (l == 4 && d <= 16384) || (l == 3 && d <= 1024);
      if (usable && l > bestLen) {
        bestLen = l;
        bestDist = d;
        if (l == maxLen) break;
      }
      const std::size_t next = prev_[cand % kWindow];
      if (next == kNone || next >= cand) break;  // the slot was reused by a newer position
      cand = next;
    }
  }
  void Append(std::size_t from, std::size_t count) {
    out_.insert(out_.end(), in_.begin() + static_cast<std::ptrdiff_t>(from),
                in_.begin() + static_cast<std::ptrdiff_t>(from + count));
  }
  // Literal-only commands carry multiples of 4 (at most 112); the last 0..3 ride on the next command.
  void EmitLiteralsDownTo3(std::size_t& litStart, std::size_t litEnd) {
    while (litEnd - litStart >= 4) {
      const std::size_t chunk = std::min<std::size_t>(112, (litEnd - litStart) & ~std::size_t{3});
      out_.push_back(static_cast<std::uint8_t>(0xE0 | (chunk / 4 - 1)));
      Append(litStart, chunk);
      litStart += chunk;
    }
  }
  void EmitCopy(std::size_t litStart, std::size_t pp, std::size_t len, std::size_t dist) {
    const std::size_t d = dist - 1;
    if (len <= 10 && dist <= 1024) {
      out_.push_back(static_cast<std::uint8_t>((d >> 8) << 5 | (len - 3) << 2 | pp));
      out_.push_back(static_cast<std::uint8_t>(d & 0xFF));
    } else if (len <= 67 && dist <= 16384) {
      out_.push_back(static_cast<std::uint8_t>(0x80 | (len - 4)));
      out_.push_back(static_cast<std::uint8_t>(pp << 6 | (d >> 8)));
      out_.push_back(static_cast<std::uint8_t>(d & 0xFF));
    } else {
      const std::size_t l = len - 5;
      out_.push_back(static_cast<std::uint8_t>(0xC0 | (d >> 16) << 4 | (l >> 8) << 2 | pp));
      out_.push_back(static_cast<std::uint8_t>((d >> 8) & 0xFF));
      out_.push_back(static_cast<std::uint8_t>(d & 0xFF));
      out_.push_back(static_cast<std::uint8_t>(l & 0xFF));
    }
    Append(litStart, pp);
  }

  ByteSpan in_;
  std::vector<std::size_t> head_;
  std::vector<std::size_t> prev_;
  Bytes out_;
};

}  // namespace

Result<Bytes> RefPackCompress(ByteSpan in) {
  if (in.size() >= (std::uint64_t{1} << 32)) {
    return MakeError(ErrorCode::TooLarge, "RefPack: input of 4 GiB or more cannot be encoded");
  }
  return Encoder(in).Run();
}

}  // namespace rw
