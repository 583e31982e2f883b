// Throughput of the code-pattern search against the references that bound it: memchr for an
// absent byte (the memory-read limit of one core), glibc memmem for the first literal run, and
// a naive byte-by-byte scan. Two 64 MiB inputs: pseudo-random bytes, and real x86-64 machine
// code (the .text section of the largest suitable shared library here). Each of the eight game
// patterns is planted once at the very end, so every search walks the whole buffer.
//
// After the runs a table of ratios is printed; run with --benchmark_min_time=... to trade time
// for steadiness.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "gamelink/discovery.h"
#include "gamelink/pattern.h"
#include "gamelink/scan.h"

namespace {

constexpr std::size_t kBufferSize = 64u << 20;
constexpr unsigned char kAbsentByte = 0x5A;  // no game pattern contains it

const auto& kPatterns = rw::kAddressPatterns;

struct Parsed {
  rw::ArrStr literals;
  rw::ArrInt lengths;
  rw::ArrStr texts;
};

Parsed Parse(std::string_view pattern) {
  Parsed p;
  rw::ParsePattern(pattern, p.literals, p.lengths, p.texts);
  return p;
}

// The pattern's bytes with its wildcards filled in.
std::string Instance(std::string_view pattern) {
  std::string out;
  for (std::size_t i = 0; i + 1 < pattern.size(); i += 2) {
    const std::string pair(pattern.substr(i, 2));
    const bool hex = std::isxdigit(static_cast<unsigned char>(pair[0])) &&
                     std::isxdigit(static_cast<unsigned char>(pair[1]));
    out += hex ? static_cast<char>(std::stoi(pair, nullptr, 16)) : '\x11';
  }
  return out;
}

// Fills the tail of `buf` with all eight patterns, one after another.
void PlantPatterns(std::string& buf) {
  std::string tail;
  for (std::string_view p : kPatterns) tail += Instance(p);
  buf.replace(buf.size() - tail.size(), tail.size(), tail);
}

const std::string& RandomBuffer() {
  static const std::string buf = [] {
    std::string b(kBufferSize, '\0');
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::size_t i = 0; i < b.size(); i += 8) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      for (int k = 0; k < 8; ++k) {
        unsigned char c = static_cast<unsigned char>(x >> (8 * k));
        if (c == kAbsentByte) c = 0x5B;
        b[i + static_cast<std::size_t>(k)] = static_cast<char>(c);
      }
    }
    PlantPatterns(b);
    return b;
  }();
  return buf;
}

// The .text section of an ELF64 little-endian file, every offset checked; empty on failure.
std::string TextSection(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const rw::ByteReader r(rw::AsBytes(file));
  auto u64 = [&](std::uint64_t at) -> std::optional<std::uint64_t> {
    auto lo = r.U32LeAt(at), hi = r.U32LeAt(at + 4);
    if (!lo || !hi) return std::nullopt;
    return *lo | std::uint64_t{*hi} << 32;
  };
  if (file.size() < 64 ||
      file.compare(0, 4,
                   "\x7F"
                   "ELF") != 0 ||
      file[4] != 2 || file[5] != 1)
    return {};
  const auto shoff = u64(0x28);
  const auto shentsize = r.U16LeAt(0x3A), shnum = r.U16LeAt(0x3C), shstrndx = r.U16LeAt(0x3E);
  if (!shoff || !shentsize || !shnum || !shstrndx || *shentsize < 64 || *shstrndx >= *shnum) return {};
  auto header = [&](std::uint64_t i) { return *shoff + i * *shentsize; };
  const auto strOff = u64(header(*shstrndx) + 24);
  if (!strOff) return {};
  for (std::uint64_t i = 0; i < *shnum; ++i) {
    const auto name = r.U32LeAt(header(i));
    const auto off = u64(header(i) + 24), size = u64(header(i) + 32);
    if (!name || !off || !size) return {};
    const auto nameBytes = r.SpanAt(*strOff + *name, 6);
    if (!nameBytes || std::memcmp(nameBytes->data(), ".text", 6) != 0) continue;
    const auto body = r.SpanAt(*off, *size);
    return body ? rw::ToString(*body) : std::string();
  }
  return {};
}

std::string CodeSource() {
  namespace fs = std::filesystem;
  std::string best;
  std::uintmax_t bestSize = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/lib/x86_64-linux-gnu", ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("libLLVM", 0) != 0 || name.find(".so") == std::string::npos || !e.is_regular_file(ec))
      continue;
    if (e.file_size(ec) > bestSize) bestSize = e.file_size(ec), best = e.path().string();
  }
  if (best.empty()) best = "/usr/lib/x86_64-linux-gnu/libstdc++.so.6";
  return best;
}

const std::string& CodeBuffer() {
  static const std::string buf = [] {
    const std::string source = CodeSource();
    const std::string text = TextSection(source);
    std::fprintf(stderr, "machine code: .text of %s, %zu bytes\n", source.c_str(), text.size());
    std::string b;
    if (text.empty()) return std::string(kBufferSize, '\0');
    b.reserve(kBufferSize);
    while (b.size() < kBufferSize) b.append(text, 0, std::min(text.size(), kBufferSize - b.size()));
    PlantPatterns(b);
    return b;
  }();
  return buf;
}

const std::string& Buffer(int which) {
  return which == 0 ? RandomBuffer() : CodeBuffer();
}

void BM_FindPattern(benchmark::State& state, int data, int pattern) {
  const std::string& buf = Buffer(data);
  rw::TPattern r;
  for (auto _ : state) benchmark::DoNotOptimize(rw::FindPattern(buf, kPatterns[pattern], r));
  if (r.MatchOffset < 0 || static_cast<std::size_t>(r.MatchOffset) + 256 < buf.size())
    state.SkipWithError("pattern not found at the end");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buf.size()));
}

// memchr for an absent byte does not depend on the data: one figure serves both inputs.
void BM_Memchr(benchmark::State& state) {
  const std::string& buf = RandomBuffer();
  for (auto _ : state) benchmark::DoNotOptimize(std::memchr(buf.data(), kAbsentByte, buf.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buf.size()));
}

void BM_Memmem(benchmark::State& state, int data, int pattern) {
  const std::string& buf = Buffer(data);
  const std::string first = Parse(kPatterns[pattern]).literals[0];
  for (auto _ : state) benchmark::DoNotOptimize(memmem(buf.data(), buf.size(), first.data(), first.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buf.size()));
}

// Every position, every literal byte compared in turn: the definition written out.
std::int64_t NaiveScan(const std::string& buf, const Parsed& p) {
  std::vector<std::size_t> offsets{0};
  for (std::size_t i = 1; i < p.literals.size(); ++i)
    offsets.push_back(offsets.back() + p.literals[i - 1].size() + static_cast<std::size_t>(p.lengths[i - 1]));
  const std::size_t span = offsets.back() + p.literals.back().size();
  const auto* d = reinterpret_cast<const unsigned char*>(buf.data());
  for (std::size_t pos = 0; pos + span <= buf.size(); ++pos) {
    bool all = true;
    for (std::size_t i = 0; i < p.literals.size() && all; ++i) {
      const std::string& run = p.literals[i];
      for (std::size_t k = 0; k < run.size() && all; ++k)
        all = d[pos + offsets[i] + k] == static_cast<unsigned char>(run[k]);
    }
    if (all) return static_cast<std::int64_t>(pos);
  }
  return -1;
}

void BM_Naive(benchmark::State& state, int data, int pattern) {
  const std::string& buf = Buffer(data);
  const Parsed p = Parse(kPatterns[pattern]);
  for (auto _ : state) benchmark::DoNotOptimize(NaiveScan(buf, p));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buf.size()));
}

// The anchor filter alone at each instruction-set level, for pattern 4 over random data.
void BM_AnchorLevel(benchmark::State& state, rw::scan::Level level) {
  if (!rw::scan::Supported(level)) {
    state.SkipWithError("level not supported here");
    return;
  }
  const std::string& buf = RandomBuffer();
  const auto* d = reinterpret_cast<const std::uint8_t*>(buf.data());
  const rw::scan::Anchor a{6, 0x7C, 7, 0x07, false};
  for (auto _ : state) {
    std::size_t p = 0, hits = 0;
    while ((p = rw::scan::FindAnchor(d, buf.size(), a, p, buf.size() - 7, level)) != rw::scan::kNone)
      ++p, ++hits;
    benchmark::DoNotOptimize(hits);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buf.size()));
}

const char* const kDataNames[2] = {"random", "code"};

void RegisterAll() {
  benchmark::RegisterBenchmark("memchr", BM_Memchr);
  for (int data = 0; data < 2; ++data) {
    const std::string dn = kDataNames[data];
    for (int k = 0; k < 8; ++k) {
      const std::string suffix = "/" + dn + "/p" + std::to_string(k + 1);
      benchmark::RegisterBenchmark(("FindPattern" + suffix).c_str(), BM_FindPattern, data, k);
      benchmark::RegisterBenchmark(("memmem" + suffix).c_str(), BM_Memmem, data, k);
      benchmark::RegisterBenchmark(("naive" + suffix).c_str(), BM_Naive, data, k);
    }
  }
  for (auto level :
       {rw::scan::Level::Scalar, rw::scan::Level::Sse2, rw::scan::Level::Avx2, rw::scan::Level::Avx512})
    benchmark::RegisterBenchmark((std::string("anchor/random/") + rw::scan::LevelName(level)).c_str(),
                                 BM_AnchorLevel, level);
}

// Collects bytes per second by benchmark name for the ratio table; with repetitions the
// median of them is used.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (run.run_type == Run::RT_Iteration && !run.error_occurred && it != run.counters.end())
        samples_[run.run_name.function_name].push_back(it->second.value / 1e9);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Medians() {
    std::map<std::string, double> out;
    for (auto& [name, v] : samples_) {
      std::sort(v.begin(), v.end());
      out[name] = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    return out;
  }

 private:
  std::map<std::string, std::vector<double>> samples_;
};

double Get(const std::map<std::string, double>& m, const std::string& key) {
  const auto it = m.find(key);
  return it == m.end() ? 0.0 : it->second;
}

void PrintRatios(const std::map<std::string, double>& m) {
  std::printf("\nscan level: %s\n", rw::scan::LevelName(rw::scan::BestLevel()));
  std::printf("%-7s %-3s %9s %9s %9s %9s %9s %9s %9s\n", "data", "pat", "find", "memchr", "memmem", "naive",
              "/memchr", "/memmem", "/naive");
  for (int data = 0; data < 2; ++data) {
    const std::string dn = kDataNames[data];
    const double mc = Get(m, "memchr");
    for (int k = 0; k < 8; ++k) {
      const std::string suffix = "/" + dn + "/p" + std::to_string(k + 1);
      const double f = Get(m, "FindPattern" + suffix), mm = Get(m, "memmem" + suffix),
                   nv = Get(m, "naive" + suffix);
      if (f == 0.0) continue;
      std::printf("%-7s p%-2d %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %9.1f\n", dn.c_str(), k + 1, f, mc, mm, nv,
                  mc > 0 ? f / mc : 0.0, mm > 0 ? f / mm : 0.0, nv > 0 ? f / nv : 0.0);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintRatios(reporter.Medians());
  return 0;
}
