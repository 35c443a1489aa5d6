// Stand-in for the system header of the same name (see windows.h): the
// metadata block reader and writer live beside the other imaging interfaces.
#pragma once

#include "wincodec.h"
