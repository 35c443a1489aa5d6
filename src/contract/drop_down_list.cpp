#include "contract/drop_down_list.h"

#include "pal/text/case_fold.h"

namespace orvana {

int FindItemByTextPrefix(const DropDownList& list, std::u16string_view prefix)
{
    const std::u16string folded = pal::FoldCase(prefix);
    for (int index = 0; index < list.Count(); ++index)
        if (pal::FoldCase(list.Text(index)).starts_with(folded)) return index;
    return DropDownList::kNone;
}

int FindItemByData(const DropDownList& list, std::u16string_view data)
{
    const std::u16string folded = pal::FoldCase(data);
    for (int index = 0; index < list.Count(); ++index) {
        const auto itemData = list.Data(index);
        if (itemData && pal::FoldCase(*itemData) == folded) return index;
    }
    return DropDownList::kNone;
}

} // namespace orvana
