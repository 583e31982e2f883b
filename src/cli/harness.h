#pragma once
// What the CLI's watch and simulate commands put around the core: a simulated game with its
// roster files on disk, a clock that the harness steps, and the monitor's surroundings.

#include <cstdint>
#include <memory>
#include <string>

#include "common/datetime.h"
#include "common/outside.h"
#include "common/result.h"
#include "sim/simulator.h"

namespace rw::cli {

// A clock that stands still until the harness moves it: runs are repeatable.
class SteppingClock : public IClock {
 public:
  explicit SteppingClock(LocalDateTime start) : start_(ToOleDate(start)) {}
  LocalDateTime Now() override {
    return FromOleDate(start_ + static_cast<double>(elapsedMs_) / 86'400'000.0);
  }
  void Advance(std::int64_t ms) { elapsedMs_ += ms; }

 private:
  double start_;
  std::int64_t elapsedMs_ = 0;
};

struct SimulatedGame {
  std::unique_ptr<sim::GameSimulator> simulator;
  std::string gameFolder;       // system path ending in "\"
  std::string documentsFolder;  // system path: holds NHL07\exhibition.exh
};

// Builds the game (the built-in default game, or the description in `gameFile`) and writes its
// roster archive and exhibition save below `folder` (a system path).
Result<SimulatedGame> SetUpSimulatedGame(const std::string& gameFile, const std::string& folder,
                                         std::uint32_t seed);

}  // namespace rw::cli
