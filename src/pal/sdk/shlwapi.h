// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../com/stream.h"
#include "../locale/number_format.h"
#include "windows.h"
