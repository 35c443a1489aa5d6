// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../com/activation.h"
#include "../com/marshaler.h"
#include "../com/stream.h"
#include "../com/unknown.h"
#include "windows.h"
