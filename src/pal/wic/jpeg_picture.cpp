#include "pal/wic/jpeg_picture.h"

#include "pal/hresult_error.h"

#include <stdexcept>

namespace pal::wic {

namespace {

void SplitHeader(const std::vector<JpegSegment>& header, JpegPicture& picture)
{
    for (const JpegSegment& segment : header) {
        if (IsAdobeSegment(segment)) {
            picture.adobe = segment;
        } else if (segment.IsPicture() && !IsJfifSegment(segment)) {
            picture.tables.push_back(segment);
        }
    }
}

} // namespace

JpegPicture CarryPicture(std::shared_ptr<const JpegFile> source)
{
    JpegPicture picture;
    SplitHeader(source->Layout().header, picture);
    picture.scans = source->Layout().picture;
    picture.components = source->Components();
    picture.owner = std::move(source);
    return picture;
}

JpegPicture EncodePicture(IWICBitmapSource* source, const WICRect& rect, const JpegEncodeSettings& settings)
{
    WICPixelFormatGUID format{};
    ThrowIfFailed(source->GetPixelFormat(&format));
    if (format != GUID_WICPixelFormat24bppBGR) throw HResultError(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
    const std::size_t stride = (static_cast<std::size_t>(rect.Width) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = stride * static_cast<std::size_t>(rect.Height);
    if (size > 0xFFFFFFFFu) throw HResultError(WINCODEC_ERR_IMAGESIZEOUTOFRANGE);
    std::vector<std::uint8_t> pixels(size);
    ThrowIfFailed(source->CopyPixels(&rect, static_cast<UINT>(stride), static_cast<UINT>(size), pixels.data()));
    auto encoded = std::make_shared<const std::vector<std::uint8_t>>(EncodeBgrToJpeg(
        pixels.data(), stride, static_cast<unsigned>(rect.Width), static_cast<unsigned>(rect.Height), settings));
    auto layout = ParseJpegSegments(*encoded);
    if (!layout) throw HResultError(WINCODEC_ERR_INTERNALERROR);
    JpegPicture picture;
    SplitHeader(layout->header, picture);
    picture.scans = layout->picture;
    picture.owner = std::move(encoded);
    return picture;
}

std::vector<std::uint8_t> AssembleOutput(const JfifDensity& density, std::span<const OwnedSegment> metadata,
                                         const JpegPicture& picture)
{
    const std::vector<std::uint8_t> jfif = JfifPayload(density);
    std::vector<JpegSegment> segments;
    segments.reserve(metadata.size() + picture.tables.size() + 2);
    if (picture.components != 4) segments.push_back({0xE0, jfif});
    for (const OwnedSegment& segment : metadata)
        segments.push_back(segment.View());
    if (picture.adobe) segments.push_back(*picture.adobe);
    segments.insert(segments.end(), picture.tables.begin(), picture.tables.end());
    try {
        return AssembleJpeg(segments, picture.scans);
    } catch (const std::length_error&) {
        throw HResultError(WINCODEC_ERR_TOOMUCHMETADATA);
    }
}

} // namespace pal::wic
