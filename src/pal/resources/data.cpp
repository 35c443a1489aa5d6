#include "pal/resources/data_lookup.h"

#include <algorithm>

namespace pal {

namespace {

char16_t Upper(char16_t c) noexcept
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool SameTypeName(std::u16string_view a, std::u16string_view b) noexcept
{
    return std::ranges::equal(a, b, [](char16_t x, char16_t y) { return Upper(x) == Upper(y); });
}

std::u16string_view Text(LPCWSTR text) noexcept
{
    std::size_t length = 0;
    while (text[length])
        ++length;
    return {text, length};
}

} // namespace

std::optional<UINT> ResourceNumber(LPCWSTR name) noexcept
{
    if (IS_INTRESOURCE(name)) return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    const std::u16string_view text = Text(name);
    if (text.size() < 2 || text.size() > 6 || text[0] != u'#') return std::nullopt;
    UINT number = 0;
    for (char16_t c : text.substr(1)) {
        if (c < u'0' || c > u'9') return std::nullopt;
        number = number * 10 + static_cast<UINT>(c - u'0');
    }
    if (number > 0xFFFF) return std::nullopt;
    return number;
}

const DataResource* FindDataResource(HINSTANCE module, std::u16string_view type, UINT id) noexcept
{
    for (const DataResource& entry : ResourcesOf(module).data) {
        if (entry.id == id && SameTypeName(entry.type, type)) return &entry;
    }
    return nullptr;
}

} // namespace pal

namespace {

// Every byte block needs a non-null address, even an empty one.
constexpr BYTE kEmptyResource[1] = {};

const pal::DataResource* Entry(HRSRC resource) noexcept
{
    return reinterpret_cast<const pal::DataResource*>(resource);
}

} // namespace

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    // Numbered types (RT_*) name nothing here: every embedded resource has a type name.
    if (!lpName || !lpType || IS_INTRESOURCE(lpType)) return nullptr;
    const std::optional<UINT> id = pal::ResourceNumber(lpName);
    if (!id) return nullptr;
    const pal::DataResource* entry = pal::FindDataResource(hModule, pal::Text(lpType), *id);
    return reinterpret_cast<HRSRC>(const_cast<pal::DataResource*>(entry));
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo)
{
    if (!hResInfo) return nullptr;
    const BYTE* data = Entry(hResInfo)->data;
    return const_cast<BYTE*>(data ? data : kEmptyResource);
}

LPVOID LockResource(HGLOBAL hResData)
{
    // Resource memory is the module's own constant data: locking only answers its address.
    return hResData;
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo)
{
    return hResInfo ? static_cast<DWORD>(Entry(hResInfo)->size) : 0;
}
