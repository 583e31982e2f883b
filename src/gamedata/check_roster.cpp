// CheckRoster lives apart from the rest of the roster reader so that the roster part can be
// linked and used without the statistics reader.
#include "gamedata/roster_reader.h"
#include "gamedata/stat_reader.h"

namespace rw {

void CheckRoster(IGameLink& link, MainWindowState& window, const DataAddresses& addresses,
                 const RuntimeValues& rt, IRegistry& registry, ILocale& locale) {
  readstat(link, window, addresses, rt);
  ReadRosters(window, rt, registry, locale);
}

}  // namespace rw
