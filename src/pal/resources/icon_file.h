// Structure check of an .ico file: the header, the directory and every image
// inside the file, each a PNG stream or a device-independent bitmap. Used by
// LoadImageW and, at build time, by orvana-rc, so a broken icon fails the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pal {

inline bool IsIconFile(std::span<const std::uint8_t> file) noexcept
{
    const auto word = [&](std::size_t at) -> std::uint32_t { return file[at] | (file[at + 1] << 8); };
    const auto dword = [&](std::size_t at) -> std::uint32_t { return word(at) | (word(at + 2) << 16); };
    constexpr std::size_t kHeader = 6;
    constexpr std::size_t kEntry = 16;
    constexpr std::size_t kBitmapHeader = 40;
    constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

    if (file.size() < kHeader || word(0) != 0 || word(2) != 1) return false;
    const std::size_t count = word(4);
    if (count == 0 || file.size() < kHeader + count * kEntry) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeader + i * kEntry;
        const std::size_t size = dword(entry + 8);
        const std::size_t offset = dword(entry + 12);
        if (size < sizeof kPng || offset < kHeader + count * kEntry || offset > file.size() ||
            size > file.size() - offset)
            return false;
        const auto image = file.subspan(offset, size);
        bool png = true;
        for (std::size_t k = 0; k < sizeof kPng; ++k)
            png = png && image[k] == kPng[k];
        if (!png && (image.size() < kBitmapHeader || dword(offset) != kBitmapHeader)) return false;
    }
    return true;
}

} // namespace pal
