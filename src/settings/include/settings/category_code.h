// Category codes: nine decimal digits cccsssddd for category, subcategory and
// details, "000" for a level not chosen; "000000000" is no category at all.
#pragma once

#include "contract/drop_down_list.h"
#include "pal/base/types.h"

#include <string>
#include <string_view>

namespace orvana {

inline constexpr char16_t kNoCategoryCode[] = W("000000000");

// The service's integer text as nine digits: leading white space and a sign
// are allowed, reading stops at the first non-digit, no digits read as 0.
std::u16string CategoryCodeFromNumberText(std::u16string_view text);

// The first three characters (the whole text when it is shorter).
std::u16string_view LeftPart(std::u16string_view code);
// Three characters from position 3, fewer or none when the text is shorter.
std::u16string_view MiddlePart(std::u16string_view code);
// The last three characters (the whole text when it is shorter).
std::u16string_view RightPart(std::u16string_view code);

// The codes of the category, subcategory and details lists for a new gallery:
// ccc000000, cccsss000 and cccsssddd, a list without selection giving "000"
// for its level.
struct CategorySelection {
    std::u16string FirstLevel;
    std::u16string SecondLevel;
    std::u16string ThirdLevel;
};
CategorySelection SelectedCategoryCodes(const DropDownList& category, const DropDownList& subcategory,
                                        const DropDownList& details);

// "third|second|first", leaving out empty codes and "000000000".
std::u16string ComposeCategoryList(std::u16string_view firstLevel, std::u16string_view secondLevel,
                                   std::u16string_view thirdLevel);

} // namespace orvana
