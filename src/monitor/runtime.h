#pragma once
// The run-time values of the monitor: fixed at start-up or refreshed by the polling cycle, and
// read by the readers and writers. Texts start empty, the flag false, the date-time zero.

#include <cstdint>
#include <string>

#include "common/datetime.h"

namespace rw {

inline constexpr std::int32_t kLogFormatVersion = 1207;
inline constexpr std::uint32_t kTeamRecordStride = 1916;  // away team record after the home record

struct RuntimeValues {
  std::string UserName;
  std::string TempFolder;  // program folder + "Temp\"
  std::string LogFolder;   // logs and statistics files go here (no trailing "\")
  std::int32_t LogFormatVersion = 0;
  bool GameActiveLatch = false;
  std::string HomeTeamName, AwayTeamName;  // at most 32 characters
  std::string HomeTeamAbbr, AwayTeamAbbr;  // at most 3 characters
  std::string GameFolder;                  // ends in "\"
  std::string RosterArchivePath;           // GameFolder + "db\db.viv"
  LocalDateTime GameEndTime;               // when the end of the game was handled
};

}  // namespace rw
