#include "pal/locale/digit_grouping.h"

#include <algorithm>
#include <climits>

namespace pal {

namespace {
// Windows knows group sizes of one digit only.
constexpr unsigned kLargestGroup = 9;

// Two equal sizes at the end of a repeating grouping say the same as one: glibc
// writes "3;3" where Windows writes "3;0".
DigitGrouping Normalised(DigitGrouping grouping)
{
    auto& sizes = grouping.sizes;
    if (sizes.empty()) grouping.repeatLast = false;
    while (grouping.repeatLast && sizes.size() > 1 && sizes.back() == sizes[sizes.size() - 2])
        sizes.pop_back();
    return grouping;
}
} // namespace

DigitGrouping DigitGrouping::FromPosix(const char* grouping)
{
    DigitGrouping result;
    result.repeatLast = true;
    for (const char* p = grouping ? grouping : ""; *p; ++p) {
        // CHAR_MAX ends grouping; a negative byte is no valid size either.
        if (*p == CHAR_MAX || *p < 0) {
            result.repeatLast = false;
            break;
        }
        result.sizes.push_back(std::min<unsigned>(static_cast<unsigned char>(*p), kLargestGroup));
    }
    return Normalised(std::move(result));
}

DigitGrouping DigitGrouping::FromFormatValue(UINT grouping)
{
    const std::string digits = std::to_string(grouping);
    DigitGrouping result;
    result.repeatLast = true;
    for (const char digit : digits) {
        // A zero says the rest is one group, wherever it stands.
        if (digit == '0') {
            result.repeatLast = false;
            break;
        }
        result.sizes.push_back(static_cast<unsigned>(digit - '0'));
    }
    return Normalised(std::move(result));
}

std::u16string DigitGrouping::LocaleText() const
{
    if (sizes.empty()) return u"0";
    std::u16string text;
    for (const unsigned size : sizes) {
        if (!text.empty()) text += u';';
        text += static_cast<char16_t>(u'0' + size);
    }
    if (repeatLast) text += u";0";
    return text;
}

std::u16string DigitGrouping::Apply(std::u16string_view digits, std::u16string_view separator) const
{
    // Cut groups from the right, then join them left to right.
    std::vector<std::u16string_view> groups;
    std::size_t remaining = digits.size();
    std::size_t next = 0;
    while (remaining > 0) {
        std::size_t size = remaining;
        if (next < sizes.size())
            size = sizes[next++];
        else if (repeatLast)
            size = sizes.back();
        size = std::min(size, remaining);
        groups.push_back(digits.substr(remaining - size, size));
        remaining -= size;
    }
    std::u16string text;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        if (!text.empty()) text += separator;
        text += *group;
    }
    return text;
}

} // namespace pal
