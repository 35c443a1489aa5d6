// The user's proxy for one URL, found in the platform's order: automatic
// detection, then a configuration script, then the static settings.
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

} // namespace orvana
