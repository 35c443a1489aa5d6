#include "pal/proxy/automatic_proxy_config.h"

#include "pal/registry_key.h"
#include "pal/utf.h"

#include <cstdlib>
#include <mutex>

namespace pal {

namespace {

constexpr const char16_t* kInternetSettings = u"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::mutex g_detectedMutex;
std::optional<std::u16string> g_detectedList;

std::optional<DWORD> ReadDword(HKEY key, const char16_t* name)
{
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

std::optional<std::u16string> ReadString(HKEY key, const char16_t* name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::u16string value(size / sizeof(char16_t) + 1, u'\0');
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(WideLength(value.c_str()));
    return value;
}

} // namespace

std::optional<AutomaticProxyConfig> ReadAutomaticProxyConfig()
{
    AutomaticProxyConfig config;
    bool found = false;
    // A registry that cannot be opened (no prefix yet, no such key) holds no settings.
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_QUERY_VALUE, key.ReleaseAndGetAddressOf()) ==
        ERROR_SUCCESS) {
        if (const auto detect = ReadDword(key.Get(), u"AutoDetect")) {
            config.autoDetect = *detect != 0;
            found = true;
        }
        if (auto url = ReadString(key.Get(), u"AutoConfigURL"); url && !url->empty()) {
            config.scriptUrl = std::move(url);
            found = true;
        }
    }
    if (const char* url = std::getenv("ORVANA_AUTOCONFIG_URL"); url && *url) {
        config.scriptUrl = ToUtf16(url);
        found = true;
    }
    if (DetectedProxyListForTesting()) {
        config.autoDetect = true;
        found = true;
    }
    if (!found) return std::nullopt;
    return config;
}

void SetDetectedProxyListForTesting(std::optional<std::u16string> list)
{
    std::lock_guard lock(g_detectedMutex);
    g_detectedList = std::move(list);
}

std::optional<std::u16string> DetectedProxyListForTesting()
{
    std::lock_guard lock(g_detectedMutex);
    return g_detectedList;
}

} // namespace pal
