// A JPEG file held in memory and taken apart once: its segments, its frame
// header's size and component count, and the JFIF density. Decoder frames
// share it with the encoders they are written into.
#pragma once

#include "pal/wic/jpeg_segments.h"
#include "pal/wic/stream_bytes.h"

#include <memory>

namespace pal::wic {

struct JfifDensity {
    std::uint8_t units = 0; // 0 aspect ratio only, 1 dots per inch, 2 dots per cm
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

class JpegFile {
  public:
    // Throws HResultError(WINCODEC_ERR_BADHEADER) when the bytes are no JPEG
    // or their structure is broken.
    static std::shared_ptr<const JpegFile> Parse(StreamBytes bytes);

    std::span<const std::uint8_t> Bytes() const noexcept { return bytes_; }
    const JpegLayout& Layout() const noexcept { return layout_; }
    unsigned Width() const noexcept { return width_; }
    unsigned Height() const noexcept { return height_; }
    unsigned Components() const noexcept { return components_; }
    const std::optional<JfifDensity>& Density() const noexcept { return density_; }
    // The segments that are metadata rather than picture, in file order.
    std::vector<JpegSegment> MetadataSegments() const;

  private:
    JpegFile() = default;

    StreamBytes bytes_;
    JpegLayout layout_;
    unsigned width_ = 0;
    unsigned height_ = 0;
    unsigned components_ = 0;
    std::optional<JfifDensity> density_;
};

bool IsJfifSegment(const JpegSegment& segment) noexcept;
bool IsAdobeSegment(const JpegSegment& segment) noexcept;
// The JFIF APP0 payload (version 1.01, no thumbnail) with this density.
std::vector<std::uint8_t> JfifPayload(const JfifDensity& density);

} // namespace pal::wic
