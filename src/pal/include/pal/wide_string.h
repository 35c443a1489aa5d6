// Wide text spelled once for every platform: WCHAR is WCHAR here and wchar_t
// on Windows, so literals go through W() and strings through these aliases.
#pragma once

#include <string>
#include <string_view>
#include <windows.h>

#ifdef _WIN32
#define W(s) L##s
#else
#define W(s) u##s
#endif

namespace pal {

using WideString = std::basic_string<WCHAR>;
using WideView = std::basic_string_view<WCHAR>;

} // namespace pal
