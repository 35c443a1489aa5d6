#include "imaging/locale_number_format.h"

#include "pal/hresult_error.h"
#include "pal/wide_string.h"

#include <array>
#include <charconv>
#include <cmath>

namespace orvana {
namespace {

pal::WideString LocaleText(LCID locale, LCTYPE type)
{
    std::array<WCHAR, 16> buffer{};
    if (GetLocaleInfoW(locale, type, buffer.data(), static_cast<int>(buffer.size())) == 0) return {};
    return buffer.data();
}

UINT LocaleNumber(LCID locale, LCTYPE type, UINT fallback)
{
    DWORD value = 0;
    if (GetLocaleInfoW(locale, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                       sizeof(value) / sizeof(WCHAR)) == 0)
        return fallback;
    return value;
}

// "3;2;0" as NUMBERFMTW wants it: 32. A trailing ";0" means the last size
// repeats; without it the digits get a final 0 ("3" → 30).
UINT GroupingValue(const pal::WideString& text)
{
    UINT value = 0;
    bool repeats = false;
    for (std::size_t n = 0; n < text.size(); ++n) {
        const WCHAR c = text[n];
        if (c < W('0') || c > W('9')) continue;
        if (c == W('0') && n + 1 == text.size() && n > 0) {
            repeats = true;
            break;
        }
        value = value * 10 + (c - W('0'));
    }
    return (repeats || value == 0) ? value : value * 10;
}

} // namespace

LocaleNumberFormat::LocaleNumberFormat(LCID locale)
    : locale_(locale), decimal_(LocaleText(locale, LOCALE_SDECIMAL)), thousand_(LocaleText(locale, LOCALE_STHOUSAND)),
      grouping_(GroupingValue(LocaleText(locale, LOCALE_SGROUPING))),
      leadingZero_(LocaleNumber(locale, LOCALE_ILZERO, 1)), negativeOrder_(LocaleNumber(locale, LOCALE_INEGNUMBER, 1))
{
    if (decimal_.empty()) decimal_.assign(1, W('.'));
}

pal::WideString LocaleNumberFormat::Format(double value, UINT digits) const
{
    if (!std::isfinite(value)) value = 0.0;
    // Six decimals, as "%f" writes them; the formatter rounds from there.
    std::array<char, 400> plain{};
    const auto result =
        std::to_chars(plain.data(), plain.data() + plain.size() - 1, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc{}) pal::ThrowIfFailed(E_UNEXPECTED);
    const pal::WideString valueText(plain.data(), result.ptr);

    pal::WideString decimal = decimal_;
    pal::WideString thousand = thousand_;
    const NUMBERFMTW format{digits, leadingZero_, grouping_, decimal.data(), thousand.data(), negativeOrder_};
    const int needed = GetNumberFormatW(locale_, 0, valueText.c_str(), &format, nullptr, 0);
    if (needed <= 0) pal::ThrowIfFailed(E_UNEXPECTED);
    pal::WideString text(static_cast<std::size_t>(needed), W('\0'));
    if (GetNumberFormatW(locale_, 0, valueText.c_str(), &format, text.data(), needed) <= 0)
        pal::ThrowIfFailed(E_UNEXPECTED);
    text.resize(static_cast<std::size_t>(needed - 1));
    return text;
}

} // namespace orvana
