// The Photoshop image resource blocks an APP13 segment carries ("8BIM"
// records), of which IPTC (resource 0x0404) is one; the others (captions,
// thumbnails, slices) are kept as they came.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pal::wic {

inline constexpr std::string_view kPhotoshopSignature("Photoshop 3.0\0", 14);
inline constexpr std::uint16_t kIptcResourceId = 0x0404;

struct PhotoshopResource {
    std::uint16_t id = 0;
    std::vector<std::uint8_t> name; // the Pascal string with its length byte and padding, as stored
    std::vector<std::uint8_t> data;
};

// Null when a record runs past the end or lacks its signature.
std::optional<std::vector<PhotoshopResource>> ParsePhotoshopResources(std::span<const std::uint8_t> blocks);
std::vector<std::uint8_t> SerialisePhotoshopResources(std::span<const PhotoshopResource> resources);

} // namespace pal::wic
