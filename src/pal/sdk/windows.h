// Stand-in for the system header of the same name: the Windows API subset
// this layer provides.
#pragma once

#include "../base/types.h"
