#include "pal/global_string.h"

#include "pal/wide_string.h"

#include <algorithm>

namespace pal::http {

GlobalString CopyToGlobal(pal::WideView text)
{
    auto* block = static_cast<WCHAR*>(GlobalAlloc(GMEM_FIXED, (text.size() + 1) * sizeof(WCHAR)));
    if (!block) return nullptr;
    std::copy(text.begin(), text.end(), block);
    block[text.size()] = W('\0');
    return GlobalString(block);
}

bool CopyToGlobal(const std::optional<pal::WideString>& text, GlobalString& out)
{
    out.reset();
    if (!text) return true;
    out = CopyToGlobal(*text);
    return out != nullptr;
}

} // namespace pal::http
