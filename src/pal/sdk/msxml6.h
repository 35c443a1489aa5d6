// Stand-in for the system header of the same name (see windows.h).
#pragma once

#include "../http/xml_http.h"
#include "../xml/msxml.h"
#include "oleauto.h"
