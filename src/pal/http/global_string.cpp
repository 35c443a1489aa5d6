#include "pal/http/global_string.h"

#include <algorithm>

namespace pal::http {

GlobalString CopyToGlobal(std::u16string_view text)
{
    auto* block = static_cast<WCHAR*>(GlobalAlloc(GMEM_FIXED, (text.size() + 1) * sizeof(WCHAR)));
    if (!block) return nullptr;
    std::copy(text.begin(), text.end(), block);
    block[text.size()] = u'\0';
    return GlobalString(block);
}

bool CopyToGlobal(const std::optional<std::u16string>& text, GlobalString& out)
{
    out.reset();
    if (!text) return true;
    out = CopyToGlobal(*text);
    return out != nullptr;
}

} // namespace pal::http
