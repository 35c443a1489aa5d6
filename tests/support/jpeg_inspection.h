// What a test reads out of a JPEG file with libjpeg and exiv2 themselves, so
// that any layer's output is judged by real decoders and readers.
#pragma once

#include <cstdint>
#include <exiv2/exif.hpp>
#include <exiv2/iptc.hpp>
#include <exiv2/xmp_exiv2.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace jpeg_inspection {

using Bytes = std::vector<std::uint8_t>;

// libjpeg's own decode to BGR, width * 3 a row.
Bytes LibjpegBgr(const Bytes& file);

struct FrameFacts {
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;
    int hSampling[3] = {};
    int vSampling[3] = {};
    std::vector<unsigned> lumaTable; // natural order
    bool progressive = false;
    unsigned restartInterval = 0;
    bool sawJfif = false;
    std::uint8_t densityUnit = 0;
    unsigned densityX = 0;
    unsigned densityY = 0;
    bool sawAdobe = false;
};
FrameFacts ReadFrameFacts(const Bytes& file);
// The luminance table libjpeg makes for this quality.
std::vector<unsigned> LibjpegLumaTable(int quality);

// What exiv2's own JPEG reader finds in a file.
struct FileMetadata {
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    std::string comment;
};
FileMetadata ReadWithExiv2(const Bytes& file);

// The compressed picture from the first SOS on.
Bytes PictureData(const Bytes& file);
// The markers of the segments before the first scan, and how many APP2 ICC, APP13 and so on.
std::vector<std::uint8_t> SegmentMarkers(const Bytes& file);
int CountSegments(const Bytes& file, std::uint8_t marker, std::string_view signature);

// The embedded ICC profile, empty without one.
Bytes IccProfile(const Bytes& file);
// The file with an APP1 EXIF segment whose TIFF header is garbage, first after SOI.
Bytes WithCorruptExif(const Bytes& file);

} // namespace jpeg_inspection
