#include "pal/wic/container_format.h"

#include <algorithm>
#include <array>

namespace pal::wic {

namespace {

template <std::size_t N> bool StartsWith(std::span<const std::uint8_t> head, const std::array<std::uint8_t, N>& magic)
{
    return head.size() >= N && std::equal(magic.begin(), magic.end(), head.begin());
}

} // namespace

ContainerFormat DetectContainer(std::span<const std::uint8_t> head) noexcept
{
    if (StartsWith(head, std::array<std::uint8_t, 3>{0xFF, 0xD8, 0xFF})) return ContainerFormat::Jpeg;
    if (StartsWith(head, std::array<std::uint8_t, 8>{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return ContainerFormat::Png;
    if (StartsWith(head, std::array<std::uint8_t, 6>{'G', 'I', 'F', '8', '7', 'a'}) ||
        StartsWith(head, std::array<std::uint8_t, 6>{'G', 'I', 'F', '8', '9', 'a'}))
        return ContainerFormat::Gif;
    // Classic TIFF in either byte order, and BigTIFF; camera raw files built on TIFF answer here too.
    if (StartsWith(head, std::array<std::uint8_t, 4>{'I', 'I', 42, 0}) ||
        StartsWith(head, std::array<std::uint8_t, 4>{'M', 'M', 0, 42}) ||
        StartsWith(head, std::array<std::uint8_t, 4>{'I', 'I', 43, 0}) ||
        StartsWith(head, std::array<std::uint8_t, 4>{'M', 'M', 0, 43}))
        return ContainerFormat::Tiff;
    if (StartsWith(head, std::array<std::uint8_t, 2>{'B', 'M'}) && head.size() >= 14) return ContainerFormat::Bmp;
    return ContainerFormat::Unknown;
}

} // namespace pal::wic
