// The hives of the current prefix: <prefix>/registry/machine.db for
// HKEY_LOCAL_MACHINE and <prefix>/registry/user.db for HKEY_CURRENT_USER.
// The prefix is read at every call and connections are kept per file, so a
// process that moves to another prefix moves to that prefix's hives.
#pragma once

#include "hive.h"

#include <memory>

namespace pal::registry {

std::shared_ptr<Hive> MachineHive();
std::shared_ptr<Hive> UserHive();

} // namespace pal::registry
