#include "common/paths.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace rw {
namespace {

std::array<std::string, 26>& DriveRoots() {
  static std::array<std::string, 26> roots;
  return roots;
}

std::string DefaultDriveRoot(char lower) {
  std::string base;
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
    base = prefix;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.wine";
  } else {
    base = ".wine";
  }
  return base + "/dosdevices/" + lower + ":";
}

}  // namespace

void SetDriveRoot(char letter, std::string hostFolder) {
  const int c = std::tolower(static_cast<unsigned char>(letter));
  if (c < 'a' || c > 'z') return;
  DriveRoots()[static_cast<std::size_t>(c - 'a')] = std::move(hostFolder);
}

std::string ToHostPath(std::string_view systemPath) {
#ifdef _WIN32
  return std::string(systemPath);
#else
  std::string out;
  std::string_view rest = systemPath;
  if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    const std::string& configured = DriveRoots()[static_cast<std::size_t>(lower - 'a')];
    out = configured.empty() ? DefaultDriveRoot(lower) : configured;
    rest.remove_prefix(2);
    if (!rest.empty() && rest[0] != '\\' && rest[0] != '/') out += '/';
  }
  for (char ch : rest) out += (ch == '\\') ? '/' : ch;
  return out;
#endif
}

std::string FileNameOf(std::string_view path) {
  const auto cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string SafeFileName(std::string_view name) {
  std::string out(name);
  for (char& ch : out) {
    const auto b = static_cast<unsigned char>(ch);
    switch (ch) {
      case '\\':
      case '/':
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        ch = '_';
        break;
      default:
        if (b < 32) ch = '_';
    }
  }
  return out;
}

}  // namespace rw
