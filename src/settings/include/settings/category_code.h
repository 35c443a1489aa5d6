// Category codes: nine decimal digits cccsssddd for category, subcategory and
// details, "000" for a level not chosen; "000000000" is no category at all.
#pragma once

#include "contract/drop_down_list.h"
#include "pal/wide_string.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace orvana {

inline constexpr WCHAR kNoCategoryCode[] = W("000000000");

// The service's integer text as nine digits: leading white space and a sign
// are allowed, reading stops at the first non-digit, no digits read as 0.
pal::WideString CategoryCodeFromNumberText(pal::WideView text);

// The first three characters (the whole text when it is shorter).
pal::WideView LeftPart(pal::WideView code);
// Three characters from position 3, fewer or none when the text is shorter.
pal::WideView MiddlePart(pal::WideView code);
// The last three characters (the whole text when it is shorter).
pal::WideView RightPart(pal::WideView code);

// The codes of the category, subcategory and details lists for a new gallery:
// ccc000000, cccsss000 and cccsssddd, a list without selection giving "000"
// for its level.
struct CategorySelection {
    pal::WideString FirstLevel;
    pal::WideString SecondLevel;
    pal::WideString ThirdLevel;
};
CategorySelection SelectedCategoryCodes(const DropDownList& category, const DropDownList& subcategory,
                                        const DropDownList& details);

// "third|second|first", leaving out empty codes and "000000000".
pal::WideString ComposeCategoryList(pal::WideView firstLevel, pal::WideView secondLevel, pal::WideView thirdLevel);

} // namespace orvana
