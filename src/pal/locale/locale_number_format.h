// The number format of a locale identifier, as the formatting calls apply it.
#pragma once

#include "../base/types.h"
#include "digit_grouping.h"

#include <optional>
#include <string>

namespace pal {

struct LocaleNumberFormat {
    std::u16string decimalSeparator = u".";
    std::u16string thousandSeparator;
    DigitGrouping grouping;
    // POSIX has no fields for these three; they keep the values most Windows
    // locales have.
    UINT digits = 2;
    UINT leadingZero = 1;
    UINT negativeOrder = 1;
};

// LOCALE_USER_DEFAULT: the POSIX locale the environment names for numbers;
// LOCALE_SYSTEM_DEFAULT: the "C" locale. Nothing for any other identifier.
std::optional<LocaleNumberFormat> NumberFormatOf(LCID locale);

} // namespace pal
