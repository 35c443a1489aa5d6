// A drop-down list without widgets, for tests of the code that fills and
// reads lists. Sorted lists order by text without regard to case; the
// selection follows its item when others are inserted before it.
#pragma once

#include "contract/drop_down_list.h"
#include "pal/case_fold.h"

#include <algorithm>
#include <vector>

namespace testing_support {

class PlainDropDownList : public orvana::DropDownList {
  public:
    explicit PlainDropDownList(bool sorted = false) : sorted_(sorted) {}

    void Clear() override
    {
        items_.clear();
        selected_ = kNone;
    }
    int AddItem(std::u16string_view text, std::optional<std::u16string> data = std::nullopt) override
    {
        auto at = items_.end();
        if (sorted_) {
            const std::u16string key = pal::FoldCase(text);
            at = std::find_if(items_.begin(), items_.end(),
                              [&](const Item& item) { return pal::FoldCase(item.text) > key; });
        }
        const int index = static_cast<int>(at - items_.begin());
        items_.insert(at, Item{std::u16string(text), std::move(data)});
        if (selected_ != kNone && selected_ >= index) ++selected_;
        return index;
    }
    int Count() const override { return static_cast<int>(items_.size()); }
    std::u16string Text(int index) const override { return items_.at(static_cast<std::size_t>(index)).text; }
    std::optional<std::u16string> Data(int index) const override
    {
        return items_.at(static_cast<std::size_t>(index)).data;
    }
    int Selected() const override { return selected_; }
    void Select(int index) override { selected_ = (index >= 0 && index < Count()) ? index : kNone; }

    // The texts in order, for whole-list comparisons.
    std::vector<std::u16string> Texts() const
    {
        std::vector<std::u16string> texts;
        for (const Item& item : items_)
            texts.push_back(item.text);
        return texts;
    }
    std::u16string SelectedText() const { return selected_ == kNone ? u"" : Text(selected_); }

  private:
    struct Item {
        std::u16string text;
        std::optional<std::u16string> data;
    };
    bool sorted_;
    std::vector<Item> items_;
    int selected_ = kNone;
};

} // namespace testing_support
