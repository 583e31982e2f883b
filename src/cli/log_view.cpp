#include "cli/log_view.h"

#include <ostream>

#include "cli/app.h"
#include "cli/cli_ui.h"
#include "logs/log_reader.h"

namespace rw::cli {

int LoadLogForCli(const std::string& path, LoadedLog& log, std::ostream& err) {
  StreamUi ui(err);
  LogTables tables{&log.tables[0], &log.tables[1], &log.tables[2], &log.tables[3], &log.tables[4]};
  Status st = EnCoding(LogCaller::LogCheckWindow, path, tables, log.header, nullptr, ui, kLogFormatVersion,
                       &log.streams);
  if (!st) {
    err << "cannot read the log: " << st.error().Describe() << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace rw::cli
