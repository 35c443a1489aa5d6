#include "pal/wic/jpeg_file.h"

#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"

namespace pal::wic {

namespace {

constexpr std::string_view kJfifSignature("JFIF\0", 5);

bool IsFrameHeader(std::uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

unsigned BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<unsigned>(bytes[at]) << 8 | bytes[at + 1];
}

} // namespace

bool IsJfifSegment(const JpegSegment& segment) noexcept
{
    return segment.IsApp(0) && segment.HasSignature(kJfifSignature);
}

bool IsAdobeSegment(const JpegSegment& segment) noexcept
{
    return segment.IsApp(14) && segment.HasSignature("Adobe");
}

std::vector<std::uint8_t> JfifPayload(const JfifDensity& density)
{
    // Signature, version 1.01, units, density, no thumbnail.
    return {'J',
            'F',
            'I',
            'F',
            0,
            1,
            1,
            density.units,
            static_cast<std::uint8_t>(density.x >> 8),
            static_cast<std::uint8_t>(density.x),
            static_cast<std::uint8_t>(density.y >> 8),
            static_cast<std::uint8_t>(density.y),
            0,
            0};
}

std::shared_ptr<const JpegFile> JpegFile::Parse(StreamBytes bytes)
{
    std::shared_ptr<JpegFile> file(new JpegFile);
    file->bytes_ = std::move(bytes);
    auto layout = ParseJpegSegments(file->bytes_);
    if (!layout) throw HResultError(WINCODEC_ERR_BADHEADER);
    file->layout_ = std::move(*layout);
    for (const JpegSegment& segment : file->layout_.header) {
        if (IsFrameHeader(segment.marker)) {
            // Precision, height, width, component count.
            if (segment.payload.size() < 6) throw HResultError(WINCODEC_ERR_BADHEADER);
            file->height_ = BigEndian16(segment.payload, 1);
            file->width_ = BigEndian16(segment.payload, 3);
            file->components_ = segment.payload[5];
        } else if (IsJfifSegment(segment) && segment.payload.size() >= 12 && !file->density_) {
            file->density_ =
                JfifDensity{segment.payload[7], static_cast<std::uint16_t>(BigEndian16(segment.payload, 8)),
                            static_cast<std::uint16_t>(BigEndian16(segment.payload, 10))};
        }
    }
    // A height given only later in a DNL segment is not taken.
    if (file->width_ == 0 || file->height_ == 0) throw HResultError(WINCODEC_ERR_BADHEADER);
    if (file->components_ != 1 && file->components_ != 3 && file->components_ != 4)
        throw HResultError(WINCODEC_ERR_BADHEADER);
    return file;
}

std::vector<JpegSegment> JpegFile::MetadataSegments() const
{
    std::vector<JpegSegment> metadata;
    for (const JpegSegment& segment : layout_.header)
        if (!segment.IsPicture()) metadata.push_back(segment);
    return metadata;
}

} // namespace pal::wic
