#include "pal/locale/number_format.h"

#include "pal/base/last_error.h"
#include "pal/locale/decimal_format.h"
#include "pal/utf.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The largest NumDigits Windows accepts.
constexpr UINT kMostDigits = 9;

int Fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

// Answers the size with the terminator when cch is 0, as the Windows calls do.
int CopyOut(const std::u16string& text, LPWSTR buffer, int cch)
{
    const int needed = static_cast<int>(text.size()) + 1;
    if (cch == 0) return needed;
    if (cch < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = u'\0';
    return needed;
}

} // namespace

STDAPI_(int) GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData)
{
    if (cchData < 0 || (cchData > 0 && !lpLCData)) return Fail(ERROR_INVALID_PARAMETER);
    const auto format = pal::NumberFormatOf(Locale);
    if (!format) return Fail(ERROR_INVALID_PARAMETER);

    std::u16string text;
    std::optional<UINT> number;
    switch (LCType & ~(LOCALE_RETURN_NUMBER | LOCALE_NOUSEROVERRIDE)) {
    case LOCALE_SDECIMAL:
        text = format->decimalSeparator;
        break;
    case LOCALE_STHOUSAND:
        text = format->thousandSeparator;
        break;
    case LOCALE_SGROUPING:
        text = format->grouping.LocaleText();
        break;
    case LOCALE_IDIGITS:
        number = format->digits;
        break;
    case LOCALE_ILZERO:
        number = format->leadingZero;
        break;
    case LOCALE_INEGNUMBER:
        number = format->negativeOrder;
        break;
    default:
        return Fail(ERROR_INVALID_FLAGS);
    }

    if (!(LCType & LOCALE_RETURN_NUMBER)) {
        if (number) text = pal::ToUtf16(std::to_string(*number));
        return CopyOut(text, lpLCData, cchData);
    }
    if (!number) return Fail(ERROR_INVALID_FLAGS); // a text has no number form
    constexpr int kDwordChars = sizeof(DWORD) / sizeof(WCHAR);
    if (cchData == 0) return kDwordChars;
    if (cchData < kDwordChars) return Fail(ERROR_INSUFFICIENT_BUFFER);
    const DWORD value = *number;
    std::memcpy(lpLCData, &value, sizeof value);
    return kDwordChars;
}

STDAPI_(int)
GetNumberFormatW(LCID Locale, DWORD dwFlags, LPCWSTR lpValue, const NUMBERFMTW* lpFormat, LPWSTR lpNumberStr,
                 int cchNumber)
{
    if (!lpValue || cchNumber < 0 || (cchNumber > 0 && !lpNumberStr)) return Fail(ERROR_INVALID_PARAMETER);
    // With a format of the caller's there is no user override to skip.
    if ((dwFlags & ~LOCALE_NOUSEROVERRIDE) != 0 || (lpFormat && dwFlags != 0)) return Fail(ERROR_INVALID_FLAGS);
    auto format = pal::NumberFormatOf(Locale);
    if (!format) return Fail(ERROR_INVALID_PARAMETER);

    if (lpFormat) {
        if (!lpFormat->lpDecimalSep || !lpFormat->lpThousandSep || lpFormat->NumDigits > kMostDigits ||
            lpFormat->LeadingZero > 1 || lpFormat->NegativeOrder > 4)
            return Fail(ERROR_INVALID_PARAMETER);
        format->digits = lpFormat->NumDigits;
        format->leadingZero = lpFormat->LeadingZero;
        format->grouping = pal::DigitGrouping::FromFormatValue(lpFormat->Grouping);
        format->decimalSeparator = lpFormat->lpDecimalSep;
        format->thousandSeparator = lpFormat->lpThousandSep;
        format->negativeOrder = lpFormat->NegativeOrder;
    }
    const auto text = pal::FormatDecimal(lpValue, *format);
    if (!text) return Fail(ERROR_INVALID_PARAMETER);
    return CopyOut(*text, lpNumberStr, cchNumber);
}
