// A frame's metadata as exiv2 models it: the EXIF, XMP and IPTC blocks (with
// the other Photoshop resources beside IPTC), the ICC profile and whatever
// other APPn and comment segments came with a block copy. Each block is kept
// as its bytes until first touched, parsed then, and written back as it came
// unless it changed.
#pragma once

#include "pal/wic/jpeg_segments.h"
#include "pal/wic/photoshop_resources.h"

#include <exiv2/exif.hpp>
#include <exiv2/iptc.hpp>
#include <exiv2/xmp_exiv2.hpp>
#include <mutex>
#include <optional>
#include <string>

namespace pal::wic {

// exiv2 set up once, from whichever thread comes first: quiet, and the XMP
// toolkit initialised with a lock.
void EnsureExiv2Ready();

class MetadataBlocks {
  public:
    MetadataBlocks();

    // Takes copies of a source's metadata segments, in place of what was held.
    void CopyFrom(std::span<const JpegSegment> metadata);

    // The parsed blocks, parsed when first touched. A copied block that cannot
    // be parsed throws HResultError(WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE).
    const Exiv2::ExifData& Exif() { return ParsedExif(); }
    const Exiv2::XmpData& Xmp() { return ParsedXmp(); }
    const Exiv2::IptcData& Iptc() { return ParsedApp13().iptc; }
    // The same, to be changed: the block is written anew.
    Exiv2::ExifData& EditExif();
    Exiv2::XmpData& EditXmp();
    Exiv2::IptcData& EditIptc();

    void RemoveExif();
    void RemoveXmp();
    // The APP13 segments whole: IPTC and every other Photoshop resource.
    void RemoveApp13();

    const std::optional<std::vector<std::uint8_t>>& CopiedIccProfile() const noexcept { return icc_; }

    // The segments in the order they are written: EXIF APP1, XMP APP1, the
    // ICC profile's APP2 segments given (the frame decides which profile),
    // APP13, then the other copied segments in source order. Throws
    // HResultError: WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE for a block that cannot
    // be parsed or encoded, WINCODEC_ERR_TOOMUCHMETADATA for one too large for
    // a segment.
    std::vector<OwnedSegment> Serialise(std::span<const OwnedSegment> iccSegments);

    // Held while a query or the serialisation runs; frames and their query
    // writers share the blocks.
    std::mutex& Mutex() noexcept { return mutex_; }

  private:
    struct ExifBlock {
        std::optional<std::vector<std::uint8_t>> raw; // TIFF data after "Exif\0\0"
        std::optional<Exiv2::ExifData> parsed;
        Exiv2::ByteOrder byteOrder = Exiv2::littleEndian;
        bool changed = false;
    };
    struct XmpBlock {
        std::optional<std::string> raw;
        std::optional<Exiv2::XmpData> parsed;
        bool changed = false;
    };
    struct App13Block {
        std::optional<std::vector<std::uint8_t>> raw; // the resource records of every APP13, joined
        std::vector<OwnedSegment> rawSegments;
        bool parsed = false;
        std::vector<PhotoshopResource> resources; // without IPTC
        Exiv2::IptcData iptc;
        bool changed = false;
    };

    Exiv2::ExifData& ParsedExif();
    Exiv2::XmpData& ParsedXmp();
    App13Block& ParsedApp13();

    std::mutex mutex_;
    ExifBlock exif_;
    XmpBlock xmp_;
    App13Block app13_;
    std::optional<std::vector<std::uint8_t>> icc_;
    std::vector<OwnedSegment> others_;
};

} // namespace pal::wic
