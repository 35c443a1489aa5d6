// The drop-down list as the component's logic sees it: items with a text and
// an optional data text, an optional sorted order, one selection. The dialogs
// implement it over their combo boxes; the size presets and the category
// cache fill and read lists only through it, so they stay free of widgets.
#pragma once

#include "pal/wide_string.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvana {

class DropDownList {
  public:
    static constexpr int kNone = -1;

    virtual ~DropDownList() = default;

    // Removes every item (and its data) and the selection.
    virtual void Clear() = 0;
    // Adds an item at the end, or in its place by text when the list is
    // sorted; answers its index. The selected item stays selected.
    virtual int AddItem(pal::WideView text, std::optional<pal::WideString> data = std::nullopt) = 0;
    virtual int Count() const = 0;
    virtual pal::WideString Text(int index) const = 0;
    virtual std::optional<pal::WideString> Data(int index) const = 0;
    // kNone when nothing is selected.
    virtual int Selected() const = 0;
    // kNone clears the selection; an index out of range does too.
    virtual void Select(int index) = 0;
};

// The first item whose text begins with prefix, letters compared without
// regard to case; kNone when there is none.
int FindItemByTextPrefix(const DropDownList& list, pal::WideView prefix);
// The first item whose data equals data, letters compared without regard to
// case; kNone when there is none.
int FindItemByData(const DropDownList& list, pal::WideView data);

} // namespace orvana
