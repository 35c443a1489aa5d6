// libcurl's results in the WinHTTP error numbers the component expects.
#pragma once

#include "../base/types.h"

#include <curl/curl.h>

namespace pal::http {

// 0 for CURLE_OK, else an ERROR_WINHTTP_* number (ERROR_NOT_ENOUGH_MEMORY,
// ERROR_WINHTTP_OPERATION_CANCELLED where they fit).
DWORD WinHttpErrorFromCurl(CURLcode code) noexcept;

} // namespace pal::http
