#include "contract/component_strings.h"

#include "pal/this_module.h"
#include "pal/wide_string.h"

#include <windows.h>

namespace orvana {

std::optional<pal::WideString> TryLoadComponentString(UINT id)
{
    const WCHAR* text = nullptr;
    const int length = LoadStringW(pal::ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::nullopt;
    return pal::WideString(text, static_cast<std::size_t>(length));
}

pal::WideString ComponentString(UINT id)
{
    return TryLoadComponentString(id).value_or(W("?"));
}

} // namespace orvana
