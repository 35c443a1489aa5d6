// Window text as the Windows interfaces pass it, as Qt holds it.
#pragma once

#include "pal/wide_string.h"

#include <QString>

namespace pal::qt {

// A null text is an empty one, as for SetWindowText.
inline QString FromWide(LPCWSTR text)
{
    return QString::fromUtf16(text ? text : W(""));
}

} // namespace pal::qt
