// The host maker's components that live in the host program itself, made
// creatable for the plug-ins through the process's class table.
#pragma once

#include "pal/base/types.h"

#include <vector>

namespace host {

class HostClassRegistration {
  public:
    HostClassRegistration();
    ~HostClassRegistration();
    HostClassRegistration(const HostClassRegistration&) = delete;
    HostClassRegistration& operator=(const HostClassRegistration&) = delete;

  private:
    std::vector<DWORD> cookies_;
};

} // namespace host
