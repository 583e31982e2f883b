#pragma once
// What the host says about its user, for the portable registry's machine values.

#include "shell/portable_registry.h"

namespace rw {

// The login name ($USER, $LOGNAME, else the password database's entry for the real user id)
// and the documents folder (the XDG documents folder, else ~/Documents).
PortableMachineValues HostMachineValues();

}  // namespace rw
