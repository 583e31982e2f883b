#include "logs/log_format.h"

#include <cfenv>
#include <cmath>

namespace rw {
namespace {

constexpr double kMsPerDay = 86'400'000.0;

}  // namespace

int LogKeyPart(double oleDate) {
  if (!std::isfinite(oleDate)) return 0;
  const double scaled = oleDate * kMsPerDay;
  if (!std::isfinite(scaled)) return 0;
  // Half to even regardless of the caller's rounding mode. Everything stays in double: fmod is
  // exact, and a value beyond 2^53 is already an integer, so no conversion can overflow.
  const int oldMode = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double ms = std::nearbyint(scaled);
  std::fesetround(oldMode);
  const auto msOfDay = static_cast<std::int64_t>(std::fmod(std::fabs(ms), kMsPerDay));
  const auto minutes = static_cast<int>(msOfDay / 60'000 % 60);
  const auto seconds = static_cast<int>(msOfDay / 1000 % 60);
  return minutes + seconds;
}

int LogKey(double writtenAt, double gameEndAt) {
  return LogKeyPart(writtenAt) + LogKeyPart(gameEndAt);
}

}  // namespace rw
