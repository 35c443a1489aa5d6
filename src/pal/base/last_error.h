// The calling thread's last error code, which the Win32-style functions of the
// layer (WinHTTP, number formatting) set when they fail.
#pragma once

#include "types.h"

STDAPI_(DWORD) GetLastError();
STDAPI_(void) SetLastError(DWORD dwErrCode);
