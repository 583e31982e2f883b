#pragma once
// The message box whose caption and icon follow a kind: 0 information, 1 error, 2 warning.

#include <string>

#include "common/outside.h"

namespace rw {

inline constexpr int kKindInformation = 0;
inline constexpr int kKindError = 1;
inline constexpr int kKindWarning = 2;

void ShowKindMessage(IUi& ui, const std::string& text, int kind);

}  // namespace rw
