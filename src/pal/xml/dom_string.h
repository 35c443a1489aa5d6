// Text crossing the DOM boundary: BSTRs are UTF-16, libxml2 holds UTF-8.
#pragma once

#include "../com/bstr.h"
#include "pal/bstr.h"
#include "pal/utf.h"

#include <string>
#include <string_view>

namespace pal::xml {

inline std::string FromBstr(BSTR text)
{
    return ToUtf8(text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view());
}

// Hands out an allocated BSTR even for empty text, so callers never meet a
// null string where the DOM gives "".
inline HRESULT ToBstr(std::string_view utf8, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = Bstr(ToUtf16(utf8)).Detach();
    if (!*out) *out = SysAllocStringLen(u"", 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace pal::xml
