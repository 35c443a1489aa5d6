#include "pal/wic/photoshop_resources.h"

namespace pal::wic {

namespace {

constexpr std::string_view kResourceSignature = "8BIM";

} // namespace

std::optional<std::vector<PhotoshopResource>> ParsePhotoshopResources(std::span<const std::uint8_t> blocks)
{
    std::vector<PhotoshopResource> resources;
    std::size_t at = 0;
    // Writers pad the end with zeros.
    while (at < blocks.size() && !(blocks.size() - at < 4 && blocks[at] == 0)) {
        if (blocks.size() - at < 7 ||
            std::string_view(reinterpret_cast<const char*>(&blocks[at]), 4) != kResourceSignature)
            return std::nullopt;
        PhotoshopResource resource;
        resource.id = static_cast<std::uint16_t>(blocks[at + 4] << 8 | blocks[at + 5]);
        at += 6;
        const std::size_t nameSize = (1 + static_cast<std::size_t>(blocks[at]) + 1) & ~std::size_t{1};
        if (blocks.size() - at < nameSize + 4) return std::nullopt;
        resource.name.assign(blocks.begin() + static_cast<std::ptrdiff_t>(at),
                             blocks.begin() + static_cast<std::ptrdiff_t>(at + nameSize));
        at += nameSize;
        const std::size_t size = static_cast<std::size_t>(blocks[at]) << 24 |
                                 static_cast<std::size_t>(blocks[at + 1]) << 16 |
                                 static_cast<std::size_t>(blocks[at + 2]) << 8 | blocks[at + 3];
        at += 4;
        if (blocks.size() - at < size) return std::nullopt;
        resource.data.assign(blocks.begin() + static_cast<std::ptrdiff_t>(at),
                             blocks.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size + (size & 1);
        resources.push_back(std::move(resource));
        if (at > blocks.size()) break; // the last record's padding byte may be missing
    }
    return resources;
}

std::vector<std::uint8_t> SerialisePhotoshopResources(std::span<const PhotoshopResource> resources)
{
    std::vector<std::uint8_t> out;
    for (const PhotoshopResource& resource : resources) {
        out.insert(out.end(), kResourceSignature.begin(), kResourceSignature.end());
        out.push_back(static_cast<std::uint8_t>(resource.id >> 8));
        out.push_back(static_cast<std::uint8_t>(resource.id));
        if (resource.name.empty()) {
            out.insert(out.end(), {0, 0});
        } else {
            out.insert(out.end(), resource.name.begin(), resource.name.end());
        }
        const std::size_t size = resource.data.size();
        out.insert(out.end(), {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                               static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
        out.insert(out.end(), resource.data.begin(), resource.data.end());
        if (size & 1) out.push_back(0);
    }
    return out;
}

} // namespace pal::wic
