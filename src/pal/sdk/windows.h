// Stand-ins for the system headers of the same names: each gathers the part of
// the Windows API subset this layer provides that the real header declares.
// Component code includes these names and nothing else of the layer but the
// kit (pal/include), so on Windows the same lines take the system's headers.
#pragma once

#include "../base/find_file.h"
#include "../base/last_error.h"
#include "../base/thread_locale.h"
#include "../base/time.h"
#include "../base/types.h"
#include "../com/global_memory.h"
#include "../locale/code_page.h"
#include "../locale/number_format.h"
#include "../registry/registry.h"
#include "../resources/resources.h"
#include "../window/window.h"
#include "../window/window_styles.h"
