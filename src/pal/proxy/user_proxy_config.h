// The user's proxy settings on this platform: the conventional environment
// variables, read afresh at every call and shaped like the strings of the
// system's per-user proxy configuration.
//
//   http_proxy / HTTP_PROXY     proxy for http URLs
//   https_proxy / HTTPS_PROXY   proxy for https URLs
//   no_proxy / NO_PROXY         hosts reached directly (comma separated)
//
// The lower-case name wins when both are set; an empty variable counts as unset.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pal {

struct UserProxyConfig {
    // "host:port" when both schemes use the same proxy, else
    // "http=host:port;https=host:port" with the schemes that have one.
    std::optional<std::u16string> proxy;
    // The no_proxy entries joined with ";".
    std::optional<std::u16string> bypass;
};

// Null when none of the variables is set.
std::optional<UserProxyConfig> ReadUserProxyConfig();

// The proxy ("host:port") the user's settings give for url, or empty to go direct.
std::u16string ProxyForUrl(std::u16string_view url);

} // namespace pal
