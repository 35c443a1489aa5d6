// The resource table of a module that embeds none. It lives in the static
// library pal_module, so the linker takes it only when the module has no
// generated table of its own.
#include "pal/resources/resources.h"

extern "C" __attribute__((weak)) constinit const pal::ModuleResources g_palModuleResources{};
