// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../window/progress_bar.h"
#include "windows.h"
