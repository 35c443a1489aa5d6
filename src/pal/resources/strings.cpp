#include "pal/resources/resources.h"

#include <algorithm>

namespace {

const pal::StringResource* FindString(HINSTANCE module, UINT id)
{
    const auto strings = pal::ResourcesOf(module).strings;
    const auto found = std::lower_bound(strings.begin(), strings.end(), id,
                                        [](const pal::StringResource& entry, UINT key) { return entry.id < key; });
    return found != strings.end() && found->id == id ? &*found : nullptr;
}

} // namespace

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer || cchBufferMax < 0) return 0;
    const pal::StringResource* entry = FindString(hInstance, uID);
    const std::u16string_view text = entry ? entry->text : std::u16string_view();
    if (cchBufferMax == 0) {
        // The text itself, read-only and (as on Windows) not to be taken as terminated.
        if (!entry) return 0;
        *reinterpret_cast<LPCWSTR*>(lpBuffer) = text.data();
        return static_cast<int>(text.size());
    }
    const std::size_t copied = std::min<std::size_t>(text.size(), static_cast<std::size_t>(cchBufferMax) - 1);
    std::copy_n(text.data(), copied, lpBuffer);
    lpBuffer[copied] = u'\0';
    return static_cast<int>(copied);
}
