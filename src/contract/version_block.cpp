#include "contract/version_block.h"

#include "pal/this_module.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"

#include <windows.h>

namespace orvana {

namespace {
constexpr std::size_t kMaxVersionText = 4096;
}

VersionBlock::VersionBlock(const pal::WideString& modulePath)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(modulePath.c_str(), &handle);
    if (size == 0) return;
    std::vector<BYTE> block(size);
    if (GetFileVersionInfoW(modulePath.c_str(), handle, size, block.data())) block_ = std::move(block);
}

pal::WideString VersionBlock::String(pal::WideView key) const
{
    if (block_.empty()) return {};
    void* translation = nullptr;
    UINT translationLength = 0;
    if (!VerQueryValueW(block_.data(), W("\\VarFileInfo\\Translation"), &translation, &translationLength) ||
        translationLength < 2 * sizeof(WORD))
        return {};
    const auto* pair = static_cast<const WORD*>(translation);
    const pal::WideString keyText(key);
    const pal::WideString path =
        pal::FormatWide(W("\\StringFileInfo\\%04x%04x\\%s"), unsigned{pair[0]}, unsigned{pair[1]}, keyText.c_str());
    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueW(block_.data(), path.c_str(), &value, &valueLength) || !value) return {};
    pal::WideString text(static_cast<const WCHAR*>(value), valueLength);
    // The reported length may count the terminator.
    while (!text.empty() && text.back() == W('\0'))
        text.pop_back();
    if (text.size() > kMaxVersionText) text.resize(kMaxVersionText);
    return text;
}

std::array<WORD, 4> VersionBlock::FileVersion() const
{
    if (block_.empty()) return {};
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block_.data(), W("\\"), &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO)) return {};
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return {static_cast<WORD>(info->dwFileVersionMS >> 16), static_cast<WORD>(info->dwFileVersionMS),
            static_cast<WORD>(info->dwFileVersionLS >> 16), static_cast<WORD>(info->dwFileVersionLS)};
}

pal::WideString ThisModulePath()
{
    WCHAR path[4096];
    const DWORD length = GetModuleFileNameW(pal::ThisModule(), path, 4096);
    return pal::WideString(path, length);
}

VersionBlock VersionBlock::OfThisModule()
{
    return VersionBlock(ThisModulePath());
}

} // namespace orvana
