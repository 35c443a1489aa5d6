// The publishing plug-ins the registry knows: classes that implement the
// host's publishing plug-in category.
#pragma once

#include "contract/orvana_publishing.h"
#include "pal/com/guid.h"
#include "pal/com_ptr.h"

#include <string>
#include <vector>

namespace host {

struct PluginEntry {
    CLSID clsid;
    std::u16string progId;
    std::u16string className; // the class key's default value
};

std::vector<PluginEntry> FindPublishingPlugins();

// The plug-in created in-process. Throws std::runtime_error saying why not
// (and that it may need registering).
pal::ComPtr<IOrvanaPublishingPlugin> CreatePublishingPlugin(REFCLSID clsid);

// "0x8007000d", as the console commands write results.
std::string HresultText(HRESULT hr);

} // namespace host
