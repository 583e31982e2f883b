#include "common/datetime.h"

#include <cmath>
#include <cstdio>

namespace rw {
namespace {

// Howard Hinnant's days_from_civil, shifted to the OLE epoch.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const std::int64_t kOleEpochDays = DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kMsPerDay = 86'400'000;

}  // namespace

std::int64_t DaysSinceOleEpoch(int year, int month, int day) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpochDays;
}

double ToOleDate(const LocalDateTime& t) {
  const std::int64_t days = DaysSinceOleEpoch(t.year, t.month, t.day);
  const double frac = static_cast<double>(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond) /
                      static_cast<double>(kMsPerDay);
  // Before the epoch the fraction still counts forward within the day, with the sign of the day.
  return days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
}

LocalDateTime FromOleDate(double ole) {
  LocalDateTime t;
  if (!std::isfinite(ole) || std::fabs(ole) > 3.0e6) return t;  // far outside any real date
  const double ms = std::nearbyint(ole * static_cast<double>(kMsPerDay));
  const auto total = static_cast<std::int64_t>(ms);
  const std::int64_t absTotal = total < 0 ? -total : total;
  const std::int64_t msOfDay = absTotal % kMsPerDay;
  const std::int64_t days = total / kMsPerDay;
  CivilFromDays(days + kOleEpochDays, t.year, t.month, t.day);
  t.hour = static_cast<int>(msOfDay / 3'600'000);
  t.minute = static_cast<int>(msOfDay / 60'000 % 60);
  t.second = static_cast<int>(msOfDay / 1000 % 60);
  t.millisecond = static_cast<int>(msOfDay % 1000);
  return t;
}

std::string FileTimeStamp(const LocalDateTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d_%02d_%02d__%02d_%02d_%02d", t.day % 100, t.month % 100,
                ((t.year % 100) + 100) % 100, t.hour % 100, t.minute % 100, t.second % 100);
  return buf;
}

}  // namespace rw
