#include "pal/base/last_error.h"

namespace {
thread_local DWORD t_lastError = 0;
}

STDAPI_(DWORD) GetLastError()
{
    return t_lastError;
}

STDAPI_(void) SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}
