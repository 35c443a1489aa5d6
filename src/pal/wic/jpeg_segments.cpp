#include "pal/wic/jpeg_segments.h"

#include <cstring>
#include <stdexcept>

namespace pal::wic {

namespace {

constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kTem = 0x01;
constexpr std::size_t kMaxPayload = 0xFFFF - 2;

bool IsFrameHeader(std::uint8_t marker)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: TEM, RSTn, SOI, EOI.
bool StandsAlone(std::uint8_t marker)
{
    return marker == kTem || (marker >= 0xD0 && marker <= 0xD9);
}

} // namespace

bool JpegSegment::HasSignature(std::string_view signature) const noexcept
{
    return payload.size() >= signature.size() && std::memcmp(payload.data(), signature.data(), signature.size()) == 0;
}

bool JpegSegment::IsPicture() const noexcept
{
    if (IsFrameHeader(marker)) return true;
    switch (marker) {
    case 0xC4: // DHT
    case 0xCC: // DAC
    case 0xDB: // DQT
    case 0xDD: // DRI
    case 0xDC: // DNL
        return true;
    default:
        break;
    }
    // The JFIF header carries the density; Adobe's APP14 says how to read the colours.
    return (IsApp(0) && HasSignature(std::string_view("JFIF\0", 5))) || (IsApp(14) && HasSignature("Adobe"));
}

std::optional<JpegLayout> ParseJpegSegments(std::span<const std::uint8_t> file)
{
    if (file.size() < 4 || file[0] != 0xFF || file[1] != kSoi) return std::nullopt;
    JpegLayout layout;
    bool frame = false;
    std::size_t at = 2;
    while (at < file.size()) {
        if (file[at] != 0xFF) return std::nullopt;
        // Any number of 0xFF may pad before a marker.
        while (at < file.size() && file[at] == 0xFF)
            ++at;
        if (at >= file.size()) return std::nullopt;
        const std::uint8_t marker = file[at];
        const std::size_t markerStart = at - 1;
        ++at;
        if (marker == 0x00 || StandsAlone(marker)) return std::nullopt; // nothing of that kind before a scan
        if (file.size() - at < 2) return std::nullopt;
        const std::size_t length = static_cast<std::size_t>(file[at]) << 8 | file[at + 1];
        if (length < 2 || file.size() - at < length) return std::nullopt;
        if (marker == kSos) {
            if (!frame) return std::nullopt;
            layout.picture = file.subspan(markerStart);
            return layout;
        }
        frame = frame || IsFrameHeader(marker);
        layout.header.push_back({marker, file.subspan(at + 2, length - 2)});
        at += length;
    }
    return std::nullopt; // no scan
}

std::vector<std::uint8_t> AssembleJpegHead(std::span<const JpegSegment> segments)
{
    std::size_t size = 2;
    for (const JpegSegment& segment : segments) {
        if (segment.payload.size() > kMaxPayload) throw std::length_error("a JPEG segment holds at most 65533 bytes");
        size += 4 + segment.payload.size();
    }
    std::vector<std::uint8_t> out;
    out.reserve(size);
    out.insert(out.end(), {0xFF, kSoi});
    for (const JpegSegment& segment : segments) {
        const std::size_t length = segment.payload.size() + 2;
        out.insert(out.end(),
                   {0xFF, segment.marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
        out.insert(out.end(), segment.payload.begin(), segment.payload.end());
    }
    return out;
}

} // namespace pal::wic
