#include "host/plugin_catalog.h"

#include "contract/orvana_publishing.h"
#include "pal/com/activation.h"
#include "pal/guid_text.h"
#include "pal/registry_key.h"
#include "pal/utf.h"

#include <cstdio>
#include <stdexcept>

namespace host {

namespace {

std::u16string DefaultValue(HKEY parent, const std::u16string& subkey)
{
    pal::RegKey key;
    if (RegOpenKeyExW(parent, subkey.empty() ? nullptr : subkey.c_str(), 0, KEY_QUERY_VALUE,
                      key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return {};
    std::u16string value(size / sizeof(char16_t) + 1, u'\0');
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    value.resize(pal::WideLength(value.c_str()));
    return value;
}

bool HasSubkey(HKEY parent, const std::u16string& subkey)
{
    pal::RegKey key;
    return RegOpenKeyExW(parent, subkey.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) == ERROR_SUCCESS;
}

} // namespace

std::vector<PluginEntry> FindPublishingPlugins()
{
    std::vector<PluginEntry> plugins;
    pal::RegKey classes;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID", 0, KEY_READ, classes.ReleaseAndGetAddressOf()) != ERROR_SUCCESS)
        return plugins;
    const std::u16string category = u"Implemented Categories\\" + pal::GuidToString(CATID_OrvanaPublishingPlugins);
    for (DWORD index = 0;; ++index) {
        char16_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(classes.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::u16string clsidText(name, length);
        CLSID clsid{};
        if (!pal::TryParseGuid(clsidText, clsid)) continue;
        pal::RegKey classKey;
        if (RegOpenKeyExW(classes.Get(), clsidText.c_str(), 0, KEY_READ, classKey.ReleaseAndGetAddressOf()) !=
            ERROR_SUCCESS)
            continue;
        if (!HasSubkey(classKey.Get(), category)) continue;
        plugins.push_back({clsid, DefaultValue(classKey.Get(), u"ProgID"), DefaultValue(classKey.Get(), u"")});
    }
    return plugins;
}

pal::ComPtr<IOrvanaPublishingPlugin> CreatePublishingPlugin(REFCLSID clsid)
{
    pal::ComPtr<IOrvanaPublishingPlugin> plugin;
    if (const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvanaPublishingPlugin,
                                            plugin.ReleaseAndGetVoidAddress());
        FAILED(hr))
        throw std::runtime_error("cannot create the plug-in " + pal::ToUtf8(pal::GuidToString(clsid)) + ": HRESULT " +
                                 HresultText(hr) + " (is it registered? try 'orvana-host register')");
    return plugin;
}

std::string HresultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(hr));
    return text;
}

} // namespace host
