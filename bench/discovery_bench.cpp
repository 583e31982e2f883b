// Address discovery over a simulated game with a 16 MiB code section, against reading that
// code section alone: the difference is the cost of the eight pattern searches.

#include <benchmark/benchmark.h>

#include "gamelink/discovery.h"
#include "sim/simulator.h"

namespace {

class QuietUi : public rw::IUi {
 public:
  void ShowMessage(const std::string&, const std::string&, rw::MessageIcon) override { ++messages; }
  void Beep() override {}
  void ShowPleaseWait() override {}
  void HidePleaseWait() override {}
  int messages = 0;
};

constexpr std::size_t kCodeSize = 16 * 1024 * 1024;

rw::sim::GameSimulator& Game() {
  static auto game = [] {
    rw::sim::SimOptions options;
    options.codeSize = kCodeSize;
    return std::move(*rw::sim::MakeBuiltInSimulator("default", options));
  }();
  return *game;
}

void BM_ReadGameCode(benchmark::State& state) {
  auto& game = Game();
  std::string code;
  for (auto _ : state) {
    benchmark::DoNotOptimize(rw::ReadGameCode(game.Link(), code));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kCodeSize));
}
BENCHMARK(BM_ReadGameCode)->Unit(benchmark::kMillisecond);

void BM_FindAddresses(benchmark::State& state) {
  auto& game = Game();
  QuietUi ui;
  rw::DataAddresses found;
  for (auto _ : state) {
    rw::findaddresses(game.Link(), ui, found);
    benchmark::DoNotOptimize(found);
  }
  if (ui.messages != 0 || !(found == game.Layout().Expected())) state.SkipWithError("discovery failed");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kCodeSize));
}
BENCHMARK(BM_FindAddresses)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
