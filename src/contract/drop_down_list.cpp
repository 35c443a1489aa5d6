#include "contract/drop_down_list.h"

#include "pal/case_fold.h"
#include "pal/wide_string.h"

namespace orvana {

int FindItemByTextPrefix(const DropDownList& list, pal::WideView prefix)
{
    const pal::WideString folded = pal::FoldCase(prefix);
    for (int index = 0; index < list.Count(); ++index)
        if (pal::FoldCase(list.Text(index)).starts_with(folded)) return index;
    return DropDownList::kNone;
}

int FindItemByData(const DropDownList& list, pal::WideView data)
{
    const pal::WideString folded = pal::FoldCase(data);
    for (int index = 0; index < list.Count(); ++index) {
        const auto itemData = list.Data(index);
        if (itemData && pal::FoldCase(*itemData) == folded) return index;
    }
    return DropDownList::kNone;
}

} // namespace orvana
