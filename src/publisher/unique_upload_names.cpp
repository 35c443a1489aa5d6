#include "publisher/unique_upload_names.h"

#include "pal/case_fold.h"
#include "pal/wide_format.h"

#include <algorithm>

namespace orvana {

bool UniqueUploadNames::IgnoringCase::operator()(const pal::WideString& a, const pal::WideString& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](WCHAR x, WCHAR y) {
        return pal::FoldCase(static_cast<char32_t>(x)) < pal::FoldCase(static_cast<char32_t>(y));
    });
}

pal::WideString UniqueUploadNames::Claim(pal::WideView baseName)
{
    const pal::WideString name(baseName);
    const auto found = uses_.find(name);
    if (found == uses_.end()) {
        uses_.emplace(name, 1);
        return name;
    }
    const int count = ++found->second;
    pal::WideString renamed = pal::FormatWide(W("%ls(%d)"), found->first.c_str(), count);
    uses_.emplace(renamed, 1); // an entry of that name already there keeps its count
    return renamed;
}

} // namespace orvana
