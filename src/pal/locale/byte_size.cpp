#include "pal/locale/decimal_format.h"
#include "pal/locale/number_format.h"
#include "pal/utf.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr std::array<const char16_t*, 6> kUnits = {u" KB", u" MB", u" GB", u" TB", u" PB", u" EB"};

// Three significant digits, truncated, so a size is never shown larger than it
// is; from 1000 of a unit on the whole number is shown, grouped.
std::u16string SizeText(ULONGLONG size)
{
    if (size < 1024) return pal::ToUtf16(std::to_string(size)) + u" bytes";
    std::size_t unit = 0;
    while (unit + 1 < kUnits.size() && (size >> (10 * (unit + 2))) != 0)
        ++unit;
    const unsigned shift = 10 * static_cast<unsigned>(unit + 1);
    const ULONGLONG whole = size >> shift;
    // 128 bits: a hundredfold size in exabytes does not fit in 64.
    const auto hundredths = static_cast<ULONGLONG>((static_cast<unsigned __int128>(size) * 100) >> shift);
    const UINT digits = whole < 10 ? 2 : whole < 100 ? 1 : 0;

    std::string value = std::to_string(whole);
    if (digits > 0) {
        const std::string fraction = std::to_string(100 + hundredths % 100); // "1dd", keeps the zeros
        value += '.' + fraction.substr(1, digits);
    }
    auto format = *pal::NumberFormatOf(LOCALE_USER_DEFAULT);
    format.digits = digits;
    return *pal::FormatDecimal(pal::ToUtf16(value), format) + kUnits[unit];
}

} // namespace

STDAPI_(LPWSTR) StrFormatByteSizeW(LONGLONG qdw, LPWSTR pszBuf, UINT cchBuf)
{
    if (!pszBuf || cchBuf == 0) return nullptr;
    const bool negative = qdw < 0;
    const ULONGLONG magnitude = negative ? 0 - static_cast<ULONGLONG>(qdw) : static_cast<ULONGLONG>(qdw);
    const std::u16string text = (negative ? u"-" : u"") + SizeText(magnitude);
    const std::size_t length = std::min<std::size_t>(text.size(), cchBuf - 1);
    std::copy_n(text.begin(), length, pszBuf);
    pszBuf[length] = u'\0';
    return pszBuf;
}
