#include "pal/locale/decimal_format.h"

#include <algorithm>

namespace pal {

namespace {

bool AllDigits(std::u16string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// Adds one to the last digit; answers whether a carry leaves the front.
bool Increment(std::u16string& digits)
{
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
        if (*digit != u'9') {
            ++*digit;
            return false;
        }
        *digit = u'0';
    }
    return true;
}

std::u16string WithSign(std::u16string text, UINT negativeOrder)
{
    switch (negativeOrder) {
    case 0:
        return u"(" + text + u")";
    case 2:
        return u"- " + text;
    case 3:
        return text + u"-";
    case 4:
        return text + u" -";
    default:
        return u"-" + text;
    }
}

} // namespace

std::optional<std::u16string> FormatDecimal(std::u16string_view value, const LocaleNumberFormat& format)
{
    bool negative = false;
    if (!value.empty() && value.front() == u'-') {
        negative = true;
        value.remove_prefix(1);
    }
    const std::size_t point = value.find(u'.');
    const std::u16string_view whole = value.substr(0, point);
    const std::u16string_view fraction = point == value.npos ? std::u16string_view{} : value.substr(point + 1);
    if (!AllDigits(whole) || !AllDigits(fraction) || (whole.empty() && fraction.empty())) return std::nullopt;

    std::u16string integer(whole);
    std::u16string decimals(fraction.substr(0, std::min<std::size_t>(fraction.size(), format.digits)));
    decimals.resize(format.digits, u'0');
    if (fraction.size() > format.digits && fraction[format.digits] >= u'5') {
        if (Increment(decimals) && Increment(integer)) integer.insert(integer.begin(), u'1');
    }

    integer.erase(0, integer.find_first_not_of(u'0'));
    // What rounds to zero carries no sign.
    if (integer.empty() && decimals.find_first_not_of(u'0') == decimals.npos) negative = false;
    // ".5" without the leading zero, but a number never vanishes: 0 stays "0".
    if (integer.empty() && (format.leadingZero || decimals.empty())) integer.push_back(u'0');

    std::u16string text = format.grouping.Apply(integer, format.thousandSeparator);
    if (!decimals.empty()) text += format.decimalSeparator + decimals;
    return negative ? WithSign(std::move(text), format.negativeOrder) : text;
}

} // namespace pal
