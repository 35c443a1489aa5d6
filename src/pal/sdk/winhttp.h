// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../http/winhttp.h"
#include "windows.h"
