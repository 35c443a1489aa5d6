// How the digits left of the decimal separator are grouped, in the three forms
// it comes in: POSIX grouping bytes, the locale text ("3;0") and the
// NUMBERFMTW value (3).
#pragma once

#include "../base/types.h"

#include <string>
#include <string_view>
#include <vector>

namespace pal {

struct DigitGrouping {
    // Group sizes from the decimal separator leftwards. Past them the last size
    // repeats, or, without repeatLast, the remaining digits form one group.
    std::vector<unsigned> sizes;
    bool repeatLast = false;

    // The bytes of nl_langinfo(GROUPING): sizes up to CHAR_MAX (no more
    // grouping) or the end (the last size repeats).
    static DigitGrouping FromPosix(const char* grouping);
    // The digits of NUMBERFMTW::Grouping: 3 is "3;0", 32 "3;2;0", 30 "3".
    static DigitGrouping FromFormatValue(UINT grouping);

    // The LOCALE_SGROUPING text: "3;0", "3;2;0", "3", "0".
    std::u16string LocaleText() const;
    std::u16string Apply(std::u16string_view digits, std::u16string_view separator) const;
};

} // namespace pal
