// printf-style formatting into a wide string, with the wide-format rules of the
// Windows C runtime (see strsafe.h's StringCchPrintfW): "%s" takes a wide string.
#pragma once

#include "pal/wide_string.h"

#include <cstdarg>

namespace pal {

WideString FormatWide(const WCHAR* format, ...);
WideString FormatWideV(const WCHAR* format, va_list args);

} // namespace pal
