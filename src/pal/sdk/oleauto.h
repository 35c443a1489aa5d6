// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../com/bstr.h"
#include "../com/dispatch.h"
#include "../com/error_info.h"
#include "../com/variant.h"
#include "objbase.h"
