#pragma once
// The game link: the only road to the game. A source answers whether a window of a given
// class and title exists, opens the game's process for a short series of reads, and names the
// game's executable. Sources: the built-in simulator and memory images (in-process), and the
// platform readers (Win32, a game under Wine on Linux), one file each.
//
// Addresses are the 32-bit game's virtual addresses, whatever our own width.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace rw {

inline constexpr std::string_view kGameWindowClass = "WINCLASS1";
inline constexpr std::string_view kGameWindowTitle = "NHL07";

// An open handle on the game's process. Closed when destroyed.
class IGameProcess {
 public:
  virtual ~IGameProcess() = default;
  // Reads out.size() bytes at `address`; returns how many were actually read: 0 at an
  // unmapped address, fewer than asked where the mapped memory ends.
  virtual std::size_t Read(std::uint32_t address, std::span<std::uint8_t> out) = 0;
};

class IGameLink {
 public:
  virtual ~IGameLink() = default;
  // Whether a top-level window with this class and title exists (both compared without
  // regard to case).
  virtual bool FindWindow(std::string_view windowClass, std::string_view title) = 0;
  // Opens the process that owns the game window; nullptr when there is no such window or the
  // process cannot be opened.
  virtual std::unique_ptr<IGameProcess> OpenProcess() = 0;
  // Full path of the game's executable (Windows form, "\" separators); nullopt when it cannot
  // be found.
  virtual std::optional<std::string> ExecutablePath() = 0;
};

// Case-insensitive ASCII comparison, as the platform's window lookup compares.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace rw
