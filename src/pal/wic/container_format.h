// Which codec a picture's bytes belong to, told from their first bytes as
// the imaging component's decoder lookup does, whatever the file is called.
#pragma once

#include <cstdint>
#include <span>

namespace pal::wic {

enum class ContainerFormat { Unknown, Jpeg, Png, Gif, Tiff, Bmp };

ContainerFormat DetectContainer(std::span<const std::uint8_t> head) noexcept;

} // namespace pal::wic
