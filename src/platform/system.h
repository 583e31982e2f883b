#pragma once
// Platform services that have one portable implementation.

#include "common/outside.h"

namespace rw {

// The machine's local time, from the C++ clock and the C library's time zone.
class SystemClock : public IClock {
 public:
  LocalDateTime Now() override;
};

}  // namespace rw
