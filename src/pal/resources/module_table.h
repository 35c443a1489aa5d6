// The resource table of a module. The source that orvana-rc generates for a
// module defines both symbols; pal's own code reads g_palModuleResources.
#pragma once

#include "resources.h"

extern "C" {

// Exported, so that a module found by path can be asked for its table.
__attribute__((visibility("default"))) const pal::ModuleResources* PalModuleResources() noexcept;

} // extern "C"

namespace pal {

// The symbol ModuleFromPath and GetFileVersionInfoW look up in a loaded module.
inline constexpr char kModuleResourcesSymbol[] = "PalModuleResources";

} // namespace pal
