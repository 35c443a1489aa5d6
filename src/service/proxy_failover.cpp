#include "proxy_settings.h"

#include <windows.h>
#include <winhttp.h>

namespace orvana {

bool SendWithProxyFailover(ProxySettings& settings, HINTERNET request, DWORD totalLength, DWORD_PTR context)
{
    settings.firstProxyReturned = settings.lastProxyReturned = FALSE;
    settings.cursor = nullptr;
    if (AdvanceProxy(settings, request, 0) != 0) return false;
    // Ends: every retry moves the cursor on, and the list's end answers non-zero.
    for (;;) {
        if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, totalLength,
                               context))
            return true;
        if (AdvanceProxy(settings, request, GetLastError()) != 0) return false;
    }
}

} // namespace orvana
