// The picture part of an encoded JPEG, apart from its metadata: the tables,
// frame header and scans, with the Adobe APP14 that says how to read the
// colours. Either carried over from a source file byte for byte, or made by
// libjpeg from pixels; then put together with new metadata around it.
#pragma once

#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/jpeg_file.h"
#include "pal/wic/jpeg_pixels.h"

#include <memory>

namespace pal::wic {

struct JpegPicture {
    std::shared_ptr<const void> owner;   // keeps the bytes below alive
    std::vector<JpegSegment> tables;     // DQT, DHT, DAC, DRI, SOF... in their order
    std::optional<JpegSegment> adobe;    // the Adobe APP14, when the source had one
    std::span<const std::uint8_t> scans; // from the first SOS to the end
    unsigned components = 3;
};

// The source's compressed picture as it is: nothing decoded or encoded.
JpegPicture CarryPicture(std::shared_ptr<const JpegFile> source);
// The source's pixels (rect, as 24bppBGR) encoded anew.
JpegPicture EncodePicture(IWICBitmapSource* source, const WICRect& rect, const JpegEncodeSettings& settings);

// A finished file in two parts, so the picture data goes from where it is
// straight to the output.
struct AssembledJpeg {
    std::vector<std::uint8_t> head; // SOI and every segment before the first scan
    JpegPicture picture;            // its scans follow the head
};

// SOI, the JFIF APP0 with this density (none for a four-component picture),
// the metadata segments, the Adobe APP14, the picture. Throws HResultError
// (WINCODEC_ERR_TOOMUCHMETADATA) for a segment too large.
AssembledJpeg AssembleOutput(const JfifDensity& density, std::span<const OwnedSegment> metadata, JpegPicture picture);

} // namespace pal::wic
