#pragma once
// Showing the system's single-byte texts to a person: the core keeps bytes; the terminal wants
// UTF-8. Game and log texts are taken as Windows-1251, the code page whose letters the log
// check's ": ОК" ending uses.

#include <string>
#include <string_view>

namespace rw::cli {

std::string Cp1251ToUtf8(std::string_view bytes);

// JSON wants valid UTF-8; the same conversion serves.
inline std::string ForJson(std::string_view bytes) {
  return Cp1251ToUtf8(bytes);
}

}  // namespace rw::cli
