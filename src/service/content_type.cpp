#include "content_type.h"

#include "pal/registry_key.h"

#include <vector>
#include <windows.h>

#ifndef _WIN32
#include "pal/media_types.h"
#endif

namespace orvana {

namespace {

constexpr std::size_t kMaxKeyName = 255;

} // namespace

std::optional<pal::WideString> FileExtension(pal::WideView fileName)
{
    const std::size_t part = fileName.find_last_of(W("\\/"));
    const pal::WideView name = part == pal::WideView::npos ? fileName : fileName.substr(part + 1);
    const std::size_t dot = name.rfind(W('.'));
    if (dot == pal::WideView::npos || dot + 1 == name.size()) return std::nullopt;
    const pal::WideView extension = name.substr(dot);
    if (extension.size() > kMaxKeyName) return std::nullopt;
    return pal::WideString(extension);
}

std::optional<pal::WideString> RegisteredContentType(const pal::WideString& extension)
{
    pal::RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, extension.c_str(), 0, KEY_QUERY_VALUE, key.ReleaseAndGetAddressOf()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), W("Content Type"), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    // One more character than stored: the value need not carry its terminator.
    std::vector<WCHAR> text(size / sizeof(WCHAR) + 1, 0);
    DWORD read = size;
    if (RegQueryValueExW(key.Get(), W("Content Type"), nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &read) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    text[read / sizeof(WCHAR)] = 0;
    pal::WideString contentType(text.data());
    if (contentType.empty()) return std::nullopt;
    return contentType;
}

std::optional<pal::WideString> LookupContentType(pal::WideView fileName)
{
    const std::optional<pal::WideString> extension = FileExtension(fileName);
    if (!extension) return std::nullopt;
#ifdef _WIN32
    return RegisteredContentType(*extension);
#else
    return pal::MediaTypeOfExtension(*extension);
#endif
}

} // namespace orvana
