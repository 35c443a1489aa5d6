// The user's automatic proxy settings: whether network-wide detection (WPAD)
// is on and which configuration script to run. They live where the system
// keeps them, in the layer's registry:
//
//   HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings
//     AutoConfigURL   REG_SZ      script URL
//     AutoDetect      REG_DWORD   non-zero: detection on
//
// ORVANA_AUTOCONFIG_URL, when set and not empty, names the script instead of
// AutoConfigURL. Read afresh at every call, like the proxy variables.
#pragma once

#include <optional>
#include <string>

namespace pal {

struct AutomaticProxyConfig {
    bool autoDetect = false;
    std::optional<std::u16string> scriptUrl;
};

// Null when the user has none of these settings (a key without either value
// counts as none). An AutoDetect of 0 is a setting: detection switched off.
std::optional<AutomaticProxyConfig> ReadAutomaticProxyConfig();

// For tests: while a list is set, detection counts as switched on and answers
// that proxy list ("host:port;host:port", empty for direct) without looking
// at the network. Null ends it.
void SetDetectedProxyListForTesting(std::optional<std::u16string> list);
std::optional<std::u16string> DetectedProxyListForTesting();

} // namespace pal
