// Automatic proxy discovery behind WinHttpGetProxyForUrl: a configuration
// script fetched and run, or network-wide detection (WPAD through DNS).
#pragma once

#include "../base/types.h"

#include <string>
#include <string_view>

namespace pal::http {

// The proxy list ("a:1;b:2", empty for direct) an automatic source gives,
// or the WinHTTP error number that explains why there is none.
struct AutomaticAnswer {
    DWORD error = 0;
    std::u16string proxyList;
};

// Runs the script at scriptUrl (http or https, fetched directly) for url:
// ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT when it cannot be fetched,
// ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT when it fails to give an answer.
AutomaticAnswer ProxyFromScript(std::u16string_view scriptUrl, std::u16string_view url);

// Network-wide detection, only when the user switched it on:
// ERROR_WINHTTP_AUTODETECTION_FAILED when it is off or no script is found.
AutomaticAnswer DetectProxy(DWORD autoDetectFlags, std::u16string_view url);

} // namespace pal::http
