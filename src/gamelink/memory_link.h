#pragma once
// A game link over memory held in this process: the regions of a memory image or of the
// simulator's game. The window can appear and disappear, the process can refuse to open, and
// the owner may rewrite mapped bytes between reads (the simulator plays the game forward so).

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "common/bytes.h"
#include "common/result.h"
#include "gamelink/game_link.h"

namespace rw {

class MemoryGameLink : public IGameLink {
 public:
  // Window identity and presence.
  std::string windowClass{kGameWindowClass};
  std::string windowTitle{kGameWindowTitle};
  bool windowPresent = true;
  bool processOpens = true;  // false: the window is there, the process refuses
  std::optional<std::string> executablePath = std::string("C:\\Games\\NHL07\\nhl2007.exe");

  // Maps `bytes` at `address`. Fails when the range wraps past 4 GiB or overlaps a region.
  Status MapRegion(std::uint32_t address, Bytes bytes);
  // Overwrites mapped bytes; returns how many were written (stops where mapping ends).
  std::size_t Write(std::uint32_t address, ByteSpan bytes);
  void Clear() { regions_.clear(); }
  const std::map<std::uint32_t, Bytes>& Regions() const { return regions_; }

  // Reads like a process handle would: contiguous mapped bytes from `address` on.
  std::size_t ReadMemory(std::uint32_t address, std::span<std::uint8_t> out) const;

  bool FindWindow(std::string_view cls, std::string_view title) override;
  std::unique_ptr<IGameProcess> OpenProcess() override;
  std::optional<std::string> ExecutablePath() override;

 private:
  std::map<std::uint32_t, Bytes> regions_;  // start address -> bytes
};

}  // namespace rw
