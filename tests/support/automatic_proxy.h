// The user's automatic proxy settings for a test: the registry values under
// the test's prefix, a proxy script served on loopback, and the layer's seam
// that stands in for network-wide detection.
#pragma once

#include "pal/proxy/automatic_proxy_config.h"
#include "pal/registry_key.h"
#include "tests/pal/http/loopback_server.h"

#include <optional>
#include <string>

namespace testing_support {

// Writes AutoConfigURL and AutoDetect where the layer reads them; a null
// argument leaves that value out.
inline LSTATUS WriteInternetSettings(const std::optional<std::u16string>& scriptUrl, std::optional<DWORD> autoDetect)
{
    pal::RegKey key;
    LSTATUS status = RegCreateKeyExW(
        HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.ReleaseAndGetAddressOf(), nullptr);
    if (status == ERROR_SUCCESS && scriptUrl) status = pal::SetStringValue(key.Get(), u"AutoConfigURL", *scriptUrl);
    if (status == ERROR_SUCCESS && autoDetect) status = pal::SetDWORDValue(key.Get(), u"AutoDetect", *autoDetect);
    return status;
}

// Serves one proxy script at every path.
class PacServer : public LoopbackServer {
  public:
    explicit PacServer(const std::string& script)
        : LoopbackServer(Reply("200 OK", "Content-Type: application/x-ns-proxy-autoconfig\r\n", script))
    {
    }
    std::u16string ScriptUrl(const std::string& path = "/proxy.pac") const
    {
        const std::string url = Url(path);
        return std::u16string(url.begin(), url.end());
    }
};

// A script that sends api.example through two proxies and everything else direct.
inline std::string TwoProxiesForApi(unsigned short first, unsigned short second)
{
    return "function FindProxyForURL(url, host) {\n"
           "  if (dnsDomainIs(host, 'api.example')) return 'PROXY 127.0.0.1:" +
           std::to_string(first) + "; PROXY 127.0.0.1:" + std::to_string(second) +
           "; DIRECT';\n"
           "  return 'DIRECT';\n"
           "}\n";
}

// A script that gives every URL the same answer.
inline std::string ProxyScript(const std::string& answer)
{
    return "function FindProxyForURL(url, host) { return '" + answer + "'; }\n";
}

// While alive, detection is on and answers list.
class DetectedProxyList {
  public:
    explicit DetectedProxyList(std::u16string list) { pal::SetDetectedProxyListForTesting(std::move(list)); }
    ~DetectedProxyList() { pal::SetDetectedProxyListForTesting(std::nullopt); }
    DetectedProxyList(const DetectedProxyList&) = delete;
    DetectedProxyList& operator=(const DetectedProxyList&) = delete;
};

} // namespace testing_support
