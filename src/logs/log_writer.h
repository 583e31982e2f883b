#pragma once
// Writing the game log at the end of a game. The bytes are built by a pure function from
// explicit inputs, so the format can be checked byte for byte without a clock or a disk;
// SaveLog adds the clock, the main window's effects and the atomic write.

#include <array>
#include <cstdint>
#include <string>

#include "common/bytes.h"
#include "common/datetime.h"
#include "common/outside.h"
#include "common/result.h"
#include "logs/log_format.h"
#include "monitor/runtime.h"
#include "shell/main_window.h"

namespace rw {

// Everything a log file holds, before encoding.
struct LogContents {
  std::int32_t Version = kLogFormatVersion;
  double WrittenAt = 0;  // OLE date
  double GameEndAt = 0;  // OLE date
  std::string User;      // cut to 64 characters when stored
  std::string HomeAbbr;  // cut to 255
  std::string AwayAbbr;  // cut to 255
  std::string LogName;   // cut to 255
  // The cell streams of PlayerGrid, PlayerStat, StatGrid, SummaryGrid and RulesGrid, in this
  // order, each whole (ending with CR LF). The file stores each without its last byte, while its
  // length field holds twice the whole length: the reader subtracts 2 for the missing LF.
  std::array<std::string, kLogTableCount> Streams;
};

// The file's bytes. Fails only when a stream is too long for its 32-bit length field.
Result<Bytes> BuildLogBytes(const LogContents& contents);

// The log's file name: user "__" home "-" away "__" dd_mm_yy__hh_nn_ss ".log", with every byte
// that cannot stand in a Windows file name replaced by "_" (the user name and abbreviations come
// from the registry and the game's memory). The name never holds a folder.
std::string LogFileName(const std::string& user, const std::string& homeAbbr, const std::string& awayAbbr,
                        const LocalDateTime& at);

// Writes the log of the current game into rt.LogFolder. In this order: enables the mail
// command, names the file from clock.Now(), saves the five tables' streams, sets the "Log:"
// label to "Log: " + name, reads clock.Now() again for WrittenAt (GameEndAt is rt.GameEndTime),
// builds the bytes and writes them atomically, then sets status panel 2 to " " + name.
// A failed write returns the error (carrying the path and the system's reason) with the label
// already changed and panel 2 untouched; an earlier file of that name is kept.
Status SaveLog(MainWindowState& window, const RuntimeValues& rt, IClock& clock);

}  // namespace rw
