#pragma once
// The main window's placement, kept under HKCU "Software\Brevikon\Rinkwarden": "Maximized" and
// the normal (not maximised) "Left", "Top", "Width" and "Height".

#include <cstdint>

#include "shell/registry.h"

namespace rw {

inline constexpr const char* kPlacementKey = "Software\\Brevikon\\Rinkwarden";

struct WindowPlacement {
  bool maximized = false;
  std::int32_t left = 0, top = 0, width = 793, height = 625;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// Read when the window is shown: each missing value stands for the window's current one.
WindowPlacement ReadWindowPlacement(IRegistry& registry, const WindowPlacement& current);
// Written when the window closes; false when a value could not be written.
bool WriteWindowPlacement(IRegistry& registry, const WindowPlacement& placement);

}  // namespace rw
