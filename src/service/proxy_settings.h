// The user's proxy for one URL, found in the platform's order: automatic
// detection, then a configuration script, then the static settings; and a
// request moved to the next proxy of a discovered list when one cannot be reached.
#pragma once

#include "pal/unique_internet.h"

namespace orvana {

struct ProxySettings {
    BOOL initialised = FALSE;
    BOOL firstProxyReturned = FALSE;
    BOOL lastProxyReturned = FALSE;
    DWORD accessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
    LPWSTR proxyList = nullptr;   // GlobalAlloc'd, freed with GlobalFree
    LPWSTR proxyBypass = nullptr; // likewise
    BOOL fromAutomaticDiscovery = FALSE;
    LPCWSTR cursor = nullptr; // the entry of proxyList now applied

    ProxySettings() = default;
    ~ProxySettings() { Clear(); }
    ProxySettings(const ProxySettings&) = delete;
    ProxySettings& operator=(const ProxySettings&) = delete;

    // Frees the lists and forgets everything.
    void Clear() noexcept;
};

// Fills settings for url; session may be null (a temporary one is opened).
// Answers 0 or the error that ended discovery, leaving settings untouched then.
DWORD DiscoverProxy(ProxySettings& settings, HINTERNET session, LPCWSTR url);

// Applies the next proxy of settings to request (WINHTTP_OPTION_PROXY): the
// list's start on the first call after a reset, later the entry after the
// current one, but only for a discovered list and only after a failure to
// reach the proxy (lastError timeout, name not resolved, cannot connect,
// connection error). Answers 0, ERROR_NO_MORE_ITEMS when there is no next
// proxy, ERROR_INVALID_OPERATION before discovery, or the option's error.
DWORD AdvanceProxy(ProxySettings& settings, HINTERNET request, DWORD lastError);

// Starts request (totalLength bytes of body to be written) through the first
// proxy, and through each next one while starting fails to reach the proxy.
// False when no proxy could start it.
bool SendWithProxyFailover(ProxySettings& settings, HINTERNET request, DWORD totalLength, DWORD_PTR context);

} // namespace orvana
