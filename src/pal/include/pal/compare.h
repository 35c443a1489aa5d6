// Case-insensitive comparison of wide strings, folding ASCII letters only:
// enough for the fixed keywords (verbs, commands) it is used on.
#pragma once

#include "pal/wide_string.h"

#include <string_view>

namespace pal {

constexpr WCHAR FoldAscii(WCHAR c) noexcept
{
    return (c >= W('A') && c <= W('Z')) ? static_cast<WCHAR>(c + 32) : c;
}

constexpr bool EqualsIgnoringCase(pal::WideView a, pal::WideView b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n)
        if (FoldAscii(a[n]) != FoldAscii(b[n])) return false;
    return true;
}

} // namespace pal
