// The Win32 error, as an HRESULT, that stands for a POSIX errno: what a file
// or stream operation answers when the system call under it failed.
#pragma once

#include "types.h"

namespace pal {

HRESULT HresultFromErrno(int error) noexcept;

} // namespace pal
