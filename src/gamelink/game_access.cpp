#include "gamelink/game_access.h"

#include <algorithm>
#include <cctype>

#include "shell/main_window.h"

namespace rw {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::unique_ptr<IGameProcess> OpenGameProcess(IGameLink& link) {
  if (!link.FindWindow(kGameWindowClass, kGameWindowTitle)) return nullptr;
  return link.OpenProcess();
}

std::size_t ReadInto(IGameProcess& process, std::uint32_t address, std::size_t size, std::string& buffer) {
  buffer.assign(size, '\0');
  if (size == 0) return 0;
  const std::size_t got =
      process.Read(address, std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(buffer.data()), size));
  const std::size_t count = std::min(got, size);
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(count), buffer.end(), '\0');
  return count;
}

int ReadNHLMem(IGameLink& link, MainWindowState& window, std::uint32_t address, int size,
               std::string& buffer) {
  const std::size_t n = size > 0 ? static_cast<std::size_t>(size) : 0;
  buffer.assign(n, '\0');
  auto process = OpenGameProcess(link);
  if (!process) {
    window.SetPanel(1, kStatusNotRunning);
    return 0;
  }
  const std::size_t count = ReadInto(*process, address, n, buffer);
  process.reset();
  window.SetPanel(1, kStatusRunning);
  return static_cast<int>(count);
}

std::string GetNHLPath(IGameLink& link) {
  auto path = link.ExecutablePath();
  if (!path) return {};
  std::string p = *path;
  if (const auto nul = p.find('\0'); nul != std::string::npos) p.resize(nul);
  if (p.size() > 261) p.resize(261);
  const auto cut = p.find_last_of("\\:");
  if (cut == std::string::npos) return {};
  return p.substr(0, cut + 1);
}

}  // namespace rw
