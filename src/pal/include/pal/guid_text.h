// Braced upper-case text of a GUID, as the registry stores it.
#pragma once

#include "pal/wide_string.h"

#include <objbase.h>

namespace pal {

inline WideString GuidToString(REFGUID guid)
{
    WCHAR text[39];
    return WideString(text, static_cast<std::size_t>(StringFromGUID2(guid, text, 39)) - 1);
}

} // namespace pal
