#include "contract/component_strings.h"

#include "pal/resources/resources.h"

namespace orvana {

std::optional<std::u16string> TryLoadComponentString(UINT id)
{
    const WCHAR* text = nullptr;
    const int length = LoadStringW(pal::ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::nullopt;
    return std::u16string(text, static_cast<std::size_t>(length));
}

std::u16string ComponentString(UINT id)
{
    return TryLoadComponentString(id).value_or(W("?"));
}

} // namespace orvana
