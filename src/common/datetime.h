#pragma once
// Local date-times and the OLE Automation date (days since 30 December 1899 00:00, the
// fraction being the time of day), which the log format stores.

#include <cstdint>
#include <string>

namespace rw {

struct LocalDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Days from 1899-12-30 to the given civil date (proleptic Gregorian).
std::int64_t DaysSinceOleEpoch(int year, int month, int day);

// The OLE Automation date of a local date-time, millisecond resolution.
double ToOleDate(const LocalDateTime& t);

// The local date-time an OLE date denotes, to the nearest millisecond. For values before the
// epoch the day part carries the sign and the fraction is the time of day, as OLE defines it.
LocalDateTime FromOleDate(double ole);

// "dd_mm_yy__hh_nn_ss": the time stamp in the names of logs and statistics files.
std::string FileTimeStamp(const LocalDateTime& t);

}  // namespace rw
