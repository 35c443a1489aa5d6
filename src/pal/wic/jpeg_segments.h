// A JPEG file at the level of its marker segments, the way a metadata editor
// sees it: the segments before the first scan, each either part of the
// picture (frame header, tables, restart interval, the JFIF header, the Adobe
// colour transform) or metadata (EXIF, XMP, ICC profile, IPTC resources,
// comments), and the compressed picture data from the first scan to the end,
// which is carried over byte for byte when only the metadata changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pal::wic {

struct JpegSegment {
    std::uint8_t marker = 0;               // the byte after 0xFF: 0xE0 for APP0, 0xDB for DQT, ...
    std::span<const std::uint8_t> payload; // after the two length bytes

    bool IsApp(int n) const noexcept { return marker == 0xE0 + n; }
    // The payload starts with this signature ("Exif\0\0", "ICC_PROFILE\0", ...).
    bool HasSignature(std::string_view signature) const noexcept;
    // Belongs to the picture rather than to its metadata.
    bool IsPicture() const noexcept;
};

// A segment that holds its own bytes, for segments made or kept past the life
// of the file they came from.
struct OwnedSegment {
    std::uint8_t marker = 0;
    std::vector<std::uint8_t> payload;

    static OwnedSegment CopyOf(const JpegSegment& segment)
    {
        return {segment.marker, {segment.payload.begin(), segment.payload.end()}};
    }
    JpegSegment View() const noexcept { return {marker, payload}; }
};

struct JpegLayout {
    std::vector<JpegSegment> header;       // between SOI and the first SOS, in file order
    std::span<const std::uint8_t> picture; // from the first SOS marker to the end of the file
};

// Null when the bytes are not a JPEG this layer can take apart: no SOI, a
// segment running past the end, a marker where none may stand, no scan, or
// a scan before a frame header.
std::optional<JpegLayout> ParseJpegSegments(std::span<const std::uint8_t> file);

// SOI and the given segments in order: what goes before the picture data,
// which follows as it was. A payload too long for one segment (over 65533
// bytes) is a caller's error and throws std::length_error.
std::vector<std::uint8_t> AssembleJpegHead(std::span<const JpegSegment> segments);

} // namespace pal::wic
