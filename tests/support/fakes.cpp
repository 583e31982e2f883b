#include "support/fakes.h"

#include <cstdio>
#include <random>

namespace rw::test {

std::string FakeLocale::FormatDateTime(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", t.day, t.month, t.year);
  std::string out = buf;
  if (t.hour || t.minute || t.second || t.millisecond) {
    std::snprintf(buf, sizeof buf, " %d:%02d:%02d", t.hour, t.minute, t.second);
    out += buf;
  }
  return out;
}

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() / ("rw-test-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace rw::test
