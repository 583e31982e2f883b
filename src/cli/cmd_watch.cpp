#include <ostream>

#include "cli/app.h"
#include "cli/commands.h"

namespace rw::cli {

int RunWatch(const WatchOptions&, std::ostream&, std::ostream& err) {
  err << "watch: not available yet\n";
  return kExitFailed;
}

int RunSimulate(const SimulateOptions&, std::ostream&, std::ostream& err) {
  err << "simulate: not available yet\n";
  return kExitFailed;
}

}  // namespace rw::cli
