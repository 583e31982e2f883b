#include <pwd.h>
#include <unistd.h>

#include "platform/user.h"

namespace rw {

PortableMachineValues HostMachineValues() {
  std::string passwdName;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) passwdName = pw->pw_name;
  return MachineValuesFromEnvironment(passwdName);
}

}  // namespace rw
