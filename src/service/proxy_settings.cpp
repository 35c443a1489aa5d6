#include "proxy_settings.h"

#include "pal/global_string.h"
#include "pal/unique_global.h"
#include "pal/unique_internet.h"
#include "pal/wide_string.h"

#include <utility>
#include <vector>
#include <windows.h>

namespace orvana {

namespace {

// Errors after which discovery goes on to the next source.
bool IsRecoverable(DWORD error)
{
    switch (error) {
    case 0:
    case static_cast<DWORD>(ERROR_INVALID_PARAMETER):
    case ERROR_WINHTTP_TIMEOUT:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_LOGIN_FAILURE:
    case ERROR_WINHTTP_OPERATION_CANCELLED:
    case ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT:
    case ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT:
    case ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR:
    case ERROR_WINHTTP_AUTODETECTION_FAILED:
        return true;
    default:
        return false;
    }
}

// Failures to reach the proxy itself, after which the next one may do better.
bool IsProxyUnreachable(DWORD error)
{
    return error == ERROR_WINHTTP_TIMEOUT || error == ERROR_WINHTTP_NAME_NOT_RESOLVED ||
           error == ERROR_WINHTTP_CANNOT_CONNECT || error == ERROR_WINHTTP_CONNECTION_ERROR;
}

bool IsListSpace(WCHAR c)
{
    return c == W(' ') || (c >= 9 && c <= 13);
}

// The entry after the one at cursor, or the list's end.
LPCWSTR NextProxyEntry(LPCWSTR cursor)
{
    while (*cursor && *cursor != W(';') && !IsListSpace(*cursor))
        ++cursor;
    while (*cursor == W(';') || IsListSpace(*cursor))
        ++cursor;
    return cursor;
}

using pal::http::GlobalString;

// Asks for the URL's proxy from one automatic source, once more with
// automatic logon when the first answer is a login failure.
DWORD AskAutomaticProxy(HINTERNET session, LPCWSTR url, WINHTTP_AUTOPROXY_OPTIONS options, GlobalString& proxy,
                        GlobalString& bypass)
{
    WINHTTP_PROXY_INFO info{};
    if (!WinHttpGetProxyForUrl(session, url, &options, &info)) {
        DWORD error = GetLastError();
        if (error != ERROR_WINHTTP_LOGIN_FAILURE) return error;
        options.fAutoLogonIfChallenged = TRUE;
        if (!WinHttpGetProxyForUrl(session, url, &options, &info)) return GetLastError();
    }
    proxy.reset(info.lpszProxy);
    bypass.reset(info.lpszProxyBypass);
    return 0;
}

} // namespace

void ProxySettings::Clear() noexcept
{
    if (proxyList) GlobalFree(proxyList);
    if (proxyBypass) GlobalFree(proxyBypass);
    initialised = firstProxyReturned = lastProxyReturned = fromAutomaticDiscovery = FALSE;
    accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
    proxyList = proxyBypass = nullptr;
    cursor = nullptr;
}

DWORD DiscoverProxy(ProxySettings& settings, HINTERNET session, LPCWSTR url)
{
    const pal::UniqueInternet temporary(session ? nullptr
                                                : WinHttpOpen(W("Orvana"), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) session = temporary.get();

    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    BOOL autoDetect = FALSE;
    if (WinHttpGetIEProxyConfigForCurrentUser(&config)) {
        autoDetect = config.fAutoDetect;
    } else {
        const DWORD error = GetLastError();
        if (error != static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) return error;
        autoDetect = TRUE; // no settings at all: detection is on
    }
    const GlobalString scriptUrl(config.lpszAutoConfigUrl);
    GlobalString staticProxy(config.lpszProxy);
    GlobalString staticBypass(config.lpszProxyBypass);

    // The automatic sources in turn: detection when it is on, then the script.
    std::vector<WINHTTP_AUTOPROXY_OPTIONS> sources;
    if (autoDetect) {
        WINHTTP_AUTOPROXY_OPTIONS detection{};
        detection.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        detection.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        sources.push_back(detection);
    }
    if (scriptUrl) {
        WINHTTP_AUTOPROXY_OPTIONS script{};
        script.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        script.lpszAutoConfigUrl = scriptUrl.get();
        sources.push_back(script);
    }
    GlobalString proxy, bypass;
    bool found = false;
    for (const WINHTTP_AUTOPROXY_OPTIONS& source : sources) {
        const DWORD error = AskAutomaticProxy(session, url, source, proxy, bypass);
        if (error == 0) {
            found = true;
            break;
        }
        if (!IsRecoverable(error)) return error;
    }
    const BOOL automatic = found ? TRUE : FALSE;
    if (!found) {
        proxy = std::move(staticProxy);
        bypass = std::move(staticBypass);
    }

    settings.Clear();
    settings.proxyList = proxy.release();
    settings.proxyBypass = bypass.release();
    settings.fromAutomaticDiscovery = automatic;
    settings.initialised = TRUE;
    settings.accessType = settings.proxyList ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY;
    return 0;
}

DWORD AdvanceProxy(ProxySettings& settings, HINTERNET request, DWORD lastError)
{
    if (!settings.initialised) return static_cast<DWORD>(ERROR_INVALID_OPERATION);
    LPCWSTR cursor = settings.proxyList;
    if (!settings.firstProxyReturned) {
        settings.firstProxyReturned = TRUE;
    } else {
        // A static list is the user's choice; it is not second-guessed.
        if (settings.lastProxyReturned || !settings.fromAutomaticDiscovery || !settings.proxyList ||
            !IsProxyUnreachable(lastError))
            return static_cast<DWORD>(ERROR_NO_MORE_ITEMS);
        cursor = NextProxyEntry(settings.cursor ? settings.cursor : settings.proxyList);
        if (!*cursor) {
            settings.lastProxyReturned = TRUE;
            return static_cast<DWORD>(ERROR_NO_MORE_ITEMS);
        }
    }
    WINHTTP_PROXY_INFO info{settings.accessType, const_cast<LPWSTR>(cursor), settings.proxyBypass};
    if (!WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof(info))) return GetLastError();
    settings.cursor = cursor;
    return 0;
}

} // namespace orvana
