// The HINSTANCE of the module this code is compiled into.
#pragma once

#include <windows.h>

#ifdef _WIN32
extern "C" IMAGE_DOS_HEADER __ImageBase;
#endif

namespace pal {

inline HINSTANCE ThisModule() noexcept
{
#ifdef _WIN32
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
#else
    // Each module's own resource table stands for it (see the resources layer).
    return reinterpret_cast<HINSTANCE>(const_cast<ModuleResources*>(&g_palModuleResources));
#endif
}

} // namespace pal
