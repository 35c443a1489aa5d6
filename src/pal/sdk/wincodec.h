// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../wic/imaging_interfaces.h"
#include "objbase.h"
