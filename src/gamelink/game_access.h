#pragma once
// Game process access on top of a game link: OpenGameProcess, ReadNHLMem, GetNHLPath.
// No handle is held between operations: each opens the process afresh.

#include <cstdint>
#include <memory>
#include <string>

#include "gamelink/game_link.h"

namespace rw {

class MainWindowState;

inline constexpr const char* kStatusRunning = " NHL07 status: Running";
inline constexpr const char* kStatusNotRunning = " NHL07 status: Not Running";

// The game's process when its window (class "WINCLASS1", title "NHL07") exists and the
// process can be opened; nullptr otherwise.
std::unique_ptr<IGameProcess> OpenGameProcess(IGameLink& link);

// Reads `size` bytes at `address`. The buffer is always `size` bytes long afterwards, the game's
// bytes first and zeros past the count read. Rewrites status panel 1: " NHL07 status: Not
// Running" when the process cannot be opened, else " NHL07 status: Running". Returns the count.
int ReadNHLMem(IGameLink& link, MainWindowState& window, std::uint32_t address, int size,
               std::string& buffer);

// The folder of the game's executable: its path up to and including the last "\" or ":";
// empty when the path has neither or cannot be found.
std::string GetNHLPath(IGameLink& link);

// Reads up to `size` bytes with an open handle into a zero-filled buffer of exactly `size` bytes.
std::size_t ReadInto(IGameProcess& process, std::uint32_t address, std::size_t size, std::string& buffer);

}  // namespace rw
