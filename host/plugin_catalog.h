// The publishing plug-ins the registry knows: classes that implement the
// host's publishing plug-in category.
#pragma once

#include "pal/com/guid.h"

#include <string>
#include <vector>

namespace host {

struct PluginEntry {
    CLSID clsid;
    std::u16string progId;
    std::u16string className; // the class key's default value
};

std::vector<PluginEntry> FindPublishingPlugins();

} // namespace host
