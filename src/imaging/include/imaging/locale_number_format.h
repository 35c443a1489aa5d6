// The user's number format, read from the locale once per object: the size
// texts and the progress counts are written with its separators and grouping.
#pragma once

#include "pal/wide_string.h"

#include <string>
#include <windows.h>

namespace orvana {

class LocaleNumberFormat {
  public:
    explicit LocaleNumberFormat(LCID locale = LOCALE_USER_DEFAULT);

    // "." when the locale gives none.
    const pal::WideString& DecimalSeparator() const noexcept { return decimal_; }
    // Empty when the locale does not group.
    const pal::WideString& ThousandSeparator() const noexcept { return thousand_; }

    // value with the locale's grouping and exactly `digits` decimals, the last
    // one rounded half away from zero.
    pal::WideString Format(double value, UINT digits) const;

  private:
    LCID locale_;
    pal::WideString decimal_;
    pal::WideString thousand_;
    UINT grouping_ = 3;
    UINT leadingZero_ = 1;
    UINT negativeOrder_ = 1;
};

} // namespace orvana
