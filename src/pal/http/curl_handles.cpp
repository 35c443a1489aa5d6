#include "pal/http/curl_handles.h"

#include <mutex>

namespace pal::http {

bool InitialiseCurl()
{
    static std::once_flag once;
    static CURLcode initialised = CURLE_FAILED_INIT;
    // Never cleaned up: other statics may still run transfers at exit.
    std::call_once(once, [] { initialised = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return initialised == CURLE_OK;
}

CurlEasy NewCurlEasy()
{
    if (!InitialiseCurl()) return nullptr;
    return CurlEasy(curl_easy_init());
}

} // namespace pal::http
