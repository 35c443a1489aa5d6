#include "settings/category_code.h"

#include "pal/wide_format.h"
#include "pal/wide_string.h"

#include <limits>

namespace orvana {
namespace {

bool IsSpace(WCHAR c)
{
    return c == W(' ') || (c >= W('\t') && c <= W('\r'));
}

// The selected item's code, or the placeholder that makes its level "000".
pal::WideString SelectedCode(const DropDownList& list, pal::WideView placeholder)
{
    const int selected = list.Selected();
    if (selected != DropDownList::kNone)
        if (auto code = list.Data(selected)) return *code;
    return pal::WideString(placeholder);
}

} // namespace

pal::WideString CategoryCodeFromNumberText(pal::WideView text)
{
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == W('+') || text[at] == W('-'))) negative = text[at++] == W('-');
    long long value = 0;
    for (; at < text.size() && text[at] >= W('0') && text[at] <= W('9'); ++at) {
        value = value * 10 + (text[at] - W('0'));
        if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    }
    return pal::FormatWide(W("%09d"), static_cast<int>(negative ? -value : value));
}

pal::WideView LeftPart(pal::WideView code)
{
    return code.substr(0, 3);
}

pal::WideView MiddlePart(pal::WideView code)
{
    return code.size() > 3 ? code.substr(3, 3) : pal::WideView{};
}

pal::WideView RightPart(pal::WideView code)
{
    return code.size() <= 3 ? code : code.substr(code.size() - 3);
}

CategorySelection SelectedCategoryCodes(const DropDownList& category, const DropDownList& subcategory,
                                        const DropDownList& details)
{
    const pal::WideString first = SelectedCode(category, W("000xxxxxx"));
    const pal::WideString second = SelectedCode(subcategory, W("xxx000xxx"));
    const pal::WideString third = SelectedCode(details, W("xxxxxx000"));
    CategorySelection codes;
    codes.FirstLevel = pal::WideString(LeftPart(first)) + W("000000");
    codes.SecondLevel = pal::WideString(LeftPart(first)) + pal::WideString(MiddlePart(second)) + W("000");
    codes.ThirdLevel =
        pal::WideString(LeftPart(first)) + pal::WideString(MiddlePart(second)) + pal::WideString(RightPart(third));
    return codes;
}

pal::WideString ComposeCategoryList(pal::WideView firstLevel, pal::WideView secondLevel, pal::WideView thirdLevel)
{
    pal::WideString list;
    for (pal::WideView code : {thirdLevel, secondLevel, firstLevel}) {
        if (code.empty() || code == kNoCategoryCode) continue;
        if (!list.empty()) list += W('|');
        list += code;
    }
    return list;
}

} // namespace orvana
