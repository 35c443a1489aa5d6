// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../crypt/crypt_string.h"
#include "windows.h"
