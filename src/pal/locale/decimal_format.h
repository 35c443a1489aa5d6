// A decimal number written by a number format.
#pragma once

#include "locale_number_format.h"

#include <optional>
#include <string>
#include <string_view>

namespace pal {

// value: ASCII digits, an optional leading '-' and one optional '.', with at
// least one digit. The fraction is rounded half away from zero to
// format.digits. Nothing when value is malformed.
std::optional<std::u16string> FormatDecimal(std::u16string_view value, const LocaleNumberFormat& format);

} // namespace pal
