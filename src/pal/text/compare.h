// Case-insensitive comparison of wide strings, folding ASCII letters only:
// enough for the fixed keywords (verbs, commands) it is used on.
#pragma once

#include <string_view>

namespace pal {

constexpr char16_t FoldAscii(char16_t c) noexcept
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

constexpr bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n)
        if (FoldAscii(a[n]) != FoldAscii(b[n])) return false;
    return true;
}

} // namespace pal
