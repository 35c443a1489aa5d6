// The service's category list, downloaded once into the settings key's
// "Cache" subkey (one string value per code, named by the nine-digit code,
// holding the display name), and the choice last made in each of the three
// category lists, remembered beside it so that deleting "Cache" forgets both.
#pragma once

#include "contract/drop_down_list.h"
#include "contract/orvana_publishing.h"
#include "pal/registry_key.h"
#include "pal/wide_string.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvana {

// Relative to the settings key.
inline constexpr WCHAR kCategoryCacheKey[] = W("Cache");
inline constexpr WCHAR kSubCategoriesKey[] = W("Cache\\SubCategories");
inline constexpr WCHAR kLastCategoryValue[] = W("LastCategory");

using OptionalPart = std::optional<pal::WideView>;

// Downloads the list through the proxy (logged in) unless "Cache" exists.
// A failed or empty answer leaves no cache, so the next call tries again.
void RefreshCategoryCache(IZenfolioProxy* proxy);

// Opens "Cache" for reading; the empty key when there is none.
pal::RegKey OpenCategoryCache();

// Refills the list with "<None>" and the cached entries of one level: the
// first without parts, the second under categoryPart, the third under both
// parts. With selectPart, the entry whose part for this level equals it is
// selected, or the first item when none does.
void FillCategoryCombo(DropDownList& combo, OptionalPart categoryPart, OptionalPart subcategoryPart, HKEY cacheKey,
                       OptionalPart selectPart);

// Selects the item whose code is remembered under valueName (in the settings
// key, its subkey1, or subkey1's subkey2) and answers that code, possibly one
// no longer listed; without a usable choice selects the item beginning with
// defaultText or else the first item.
pal::WideString RestoreCategoryChoice(DropDownList& combo, pal::WideView valueName, pal::WideView defaultText,
                                      OptionalPart subkey1, OptionalPart subkey2);

// Remembers the selected item's code for its level under valueName, or
// forgets it when nothing with a code is selected.
void RememberCategoryChoice(const DropDownList& combo, pal::WideView valueName, OptionalPart subkey1,
                            OptionalPart subkey2);

} // namespace orvana
