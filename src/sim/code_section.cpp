#include "sim/code_section.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "gamelink/pattern.h"

namespace rw::sim {
namespace {

// xorshift32: deterministic filler for a given seed.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : s_(seed ? seed : 1) {}
  std::uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }

 private:
  std::uint32_t s_;
};

// Appends one instruction of common compiler output. The set holds none of the opcodes that
// would complete a pattern after its first literal run (66 81 3D, 0F BE, 69 C0, C7 05 ...), so
// filler never forms a full match by chance.
void EmitInstruction(Rng& rng, Bytes& out, std::uint32_t dataBase) {
  auto imm32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto dataAddr = [&] { return dataBase + 0x4000 + (rng.Below(0x400) * 4); };
  switch (rng.Below(20)) {
    case 0:
      out.insert(out.end(), {0x55, 0x8B, 0xEC});
      break;  // push ebp; mov ebp,esp
    case 1:
      out.insert(out.end(), {0x83, 0xEC, static_cast<std::uint8_t>(4 * (1 + rng.Below(16)))});
      break;
    case 2:
      out.insert(out.end(), {0x8B, 0x45, static_cast<std::uint8_t>(4 * (2 + rng.Below(6)))});
      break;
    case 3:
      out.insert(out.end(), {0x89, 0x45, static_cast<std::uint8_t>(0x100 - 4 * (1 + rng.Below(8)))});
      break;
    case 4:
      out.push_back(static_cast<std::uint8_t>(0x50 + rng.Below(8)));
      break;  // push r32
    case 5:
      out.push_back(static_cast<std::uint8_t>(0x58 + rng.Below(8)));
      break;  // pop r32
    case 6:
      out.push_back(0xE8);
      imm32(rng.Next() % 0x100000 - 0x80000);
      break;  // call rel32
    case 7:
      out.insert(out.end(), {0x8B, 0xE5, 0x5D, 0xC3});
      break;  // mov esp,ebp; pop ebp; ret
    case 8:
      out.insert(out.end(), {0x33, 0xC0});
      break;  // xor eax,eax
    case 9:
      out.insert(out.end(), {0x85, 0xC0, static_cast<std::uint8_t>(0x74 + rng.Below(2)), rng.Byte()});
      break;
    case 10:
      out.push_back(0xA1);
      imm32(dataAddr());
      break;  // mov eax,[abs]
    case 11:
      out.insert(out.end(), {0x8B, 0x0D});
      imm32(dataAddr());
      break;  // mov ecx,[abs]
    case 12:
      out.insert(out.end(), {0x89, 0x0D});
      imm32(dataAddr());
      break;  // mov [abs],ecx
    case 13:
      out.push_back(0xB8);
      imm32(rng.Below(0x1000));
      break;  // mov eax,imm32
    case 14:
      out.insert(out.end(), {0x8B, static_cast<std::uint8_t>(0xC0 + rng.Below(64))});
      break;
    case 15:
      out.insert(out.end(), {0x03, static_cast<std::uint8_t>(0xC0 + rng.Below(64))});
      break;
    case 16:
      out.insert(out.end(), {0xEB, rng.Byte()});
      break;  // jmp rel8
    case 17:
      out.insert(out.end(), {0xC2, 0x08, 0x00});
      break;  // ret 8
    case 18:
      out.insert(out.end(), {0x8D, 0x04, 0x89});
      break;    // lea eax,[ecx+ecx*4]
    default: {  // int3 padding
      const auto n = 1 + rng.Below(12);
      out.insert(out.end(), n, 0xCC);
      break;
    }
  }
}

// The bytes a pattern stands for, its X run holding `x` and other wildcard runs `other`.
Bytes PatternBytes(std::string_view pattern, std::uint32_t x, std::uint32_t other) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < pattern.size();) {
    const char c = pattern[i];
    if (std::isxdigit(static_cast<unsigned char>(c)) &&
        std::isxdigit(static_cast<unsigned char>(pattern[i + 1]))) {
      out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(pattern.substr(i, 2)), nullptr, 16)));
      i += 2;
      continue;
    }
    // A wildcard run of 4 bytes (the patterns use no other length).
    std::size_t n = 0;
    while (i + 1 < pattern.size() && !std::isxdigit(static_cast<unsigned char>(pattern[i]))) {
      ++n;
      i += 2;
    }
    const std::uint32_t v = (c == 'X' || c == 'x') ? x : other;
    for (std::size_t k = 0; k < n; ++k) out.push_back(static_cast<std::uint8_t>(v >> (8 * (k % 4))));
  }
  return out;
}

// Decoys for one pattern: near misses of its first literal run (one byte changed) followed by
// the rest, and, for patterns with several literal runs, the first run with the rest missing
// or with its last literal run broken.
std::vector<Bytes> Decoys(std::string_view pattern, std::uint32_t wrong, std::uint32_t other) {
  ArrStr runs, texts;
  ArrInt lengths;
  ParsePattern(pattern, runs, lengths, texts);
  const Bytes real = PatternBytes(pattern, wrong, other);
  const std::size_t firstLen = runs[0].size();
  std::vector<Bytes> decoys;
  for (std::size_t at : {firstLen / 2, firstLen - 1}) {
    Bytes d = real;
    d[at] ^= 0x01;
    decoys.push_back(d);
  }
  if (runs.size() > 1) {
    Bytes d(real.begin(),
            real.begin() + static_cast<std::ptrdiff_t>(firstLen + static_cast<std::size_t>(lengths[0])));
    decoys.push_back(d);  // the first run and its operand, then ordinary code
    Bytes broken = real;
    broken[broken.size() - runs.back().size()] ^= 0x01;  // every run but the last
    decoys.push_back(broken);
  }
  return decoys;
}

}  // namespace

CodeSection BuildCodeSection(const CodeSectionPlan& plan) {
  const std::size_t size = std::max(plan.size, kMinCodeSize);
  Rng rng(plan.seed);
  const std::uint32_t dataBase = plan.dataBase;
  CodeSection section;
  Bytes& out = section.bytes;
  out.reserve(size + 64);
  while (out.size() < size) EmitInstruction(rng, out, dataBase);
  out.resize(size);

  // One slot of the code per pattern: decoys from a quarter of the slot on, the real match in
  // its middle, each on an instruction boundary of its own (int3 padding around it).
  const std::size_t slot = size / kAddressPatternCount;
  for (std::size_t i = 0; i < kAddressPatternCount; ++i) {
    const std::string_view pattern = kAddressPatterns[i];
    const std::uint32_t other = dataBase + 0x5000 + static_cast<std::uint32_t>(i) * 0x10;
    std::size_t at = i * slot + slot / 4;
    for (const Bytes& d : Decoys(pattern, plan.captures[i] ^ 0x00F00000u, other)) {
      out[at++] = 0xCC;
      std::copy(d.begin(), d.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
      at += d.size();
      out[at++] = 0xC3;
    }
    section.matchOffsets[i] = -1;
    if (plan.missing[i]) continue;
    const Bytes real = PatternBytes(pattern, plan.captures[i], other);
    std::size_t place = i * slot + slot / 2;
    out[place - 1] = 0xCC;
    std::copy(real.begin(), real.end(), out.begin() + static_cast<std::ptrdiff_t>(place));
    out[place + real.size()] = 0xCC;
    section.matchOffsets[i] = static_cast<std::int32_t>(place);
  }
  return section;
}

}  // namespace rw::sim
