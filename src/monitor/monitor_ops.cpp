#include "gamedata/roster_reader.h"
#include "gamelink/discovery.h"
#include "logs/log_writer.h"
#include "monitor/monitor.h"
#include "shell/stat_export.h"

namespace rw {

MonitorOps MakeDefaultOps() {
  MonitorOps ops;
  ops.findaddresses = [](Monitor& m) { findaddresses(m.env().link, m.env().ui, m.addresses); };
  ops.CheckRoster = [](Monitor& m) {
    CheckRoster(m.env().link, m.window, m.addresses, m.rt, m.env().registry, m.env().locale);
  };
  ops.SaveLog = [](Monitor& m) { return SaveLog(m.window, m.rt, m.env().clock); };
  ops.SaveStat = [](Monitor& m) -> Status {
    auto r = SaveStat(m.window, m.rt, m.env().registry, m.env().clock);
    if (!r) return r.error();
    return Status::Ok();
  };
  return ops;
}

}  // namespace rw
