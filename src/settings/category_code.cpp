#include "settings/category_code.h"

#include "pal/text/wide_format.h"

#include <limits>

namespace orvana {
namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The selected item's code, or the placeholder that makes its level "000".
std::u16string SelectedCode(const DropDownList& list, std::u16string_view placeholder)
{
    const int selected = list.Selected();
    if (selected != DropDownList::kNone)
        if (auto code = list.Data(selected)) return *code;
    return std::u16string(placeholder);
}

} // namespace

std::u16string CategoryCodeFromNumberText(std::u16string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
    long long value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = value * 10 + (text[at] - u'0');
        if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    }
    return pal::FormatWide(W("%09d"), static_cast<int>(negative ? -value : value));
}

std::u16string_view LeftPart(std::u16string_view code)
{
    return code.substr(0, 3);
}

std::u16string_view MiddlePart(std::u16string_view code)
{
    return code.size() > 3 ? code.substr(3, 3) : std::u16string_view{};
}

std::u16string_view RightPart(std::u16string_view code)
{
    return code.size() <= 3 ? code : code.substr(code.size() - 3);
}

CategorySelection SelectedCategoryCodes(const DropDownList& category, const DropDownList& subcategory,
                                        const DropDownList& details)
{
    const std::u16string first = SelectedCode(category, W("000xxxxxx"));
    const std::u16string second = SelectedCode(subcategory, W("xxx000xxx"));
    const std::u16string third = SelectedCode(details, W("xxxxxx000"));
    CategorySelection codes;
    codes.FirstLevel = std::u16string(LeftPart(first)) + W("000000");
    codes.SecondLevel = std::u16string(LeftPart(first)) + std::u16string(MiddlePart(second)) + W("000");
    codes.ThirdLevel =
        std::u16string(LeftPart(first)) + std::u16string(MiddlePart(second)) + std::u16string(RightPart(third));
    return codes;
}

std::u16string ComposeCategoryList(std::u16string_view firstLevel, std::u16string_view secondLevel,
                                   std::u16string_view thirdLevel)
{
    std::u16string list;
    for (std::u16string_view code : {thirdLevel, secondLevel, firstLevel}) {
        if (code.empty() || code == kNoCategoryCode) continue;
        if (!list.empty()) list += u'|';
        list += code;
    }
    return list;
}

} // namespace orvana
