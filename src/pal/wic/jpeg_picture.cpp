#include "pal/wic/jpeg_picture.h"

#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/wic/jpeg_frame_source.h"

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
    const auto width = static_cast<unsigned>(rect.Width);
    const auto height = static_cast<unsigned>(rect.Height);
    EncodedJpeg encoded;
    // A frame of this layer's decoder is read where its pixels are; any other source through a copy.
    ComPtr<IJpegFrameSource> ownFrame;
    std::shared_ptr<const BgrPixels> decoded;
    if (SUCCEEDED(source->QueryInterface(IID_IJpegFrameSource, ownFrame.ReleaseAndGetVoidAddress())) &&
        SUCCEEDED(ownFrame->DecodedPixels(&decoded))) {
        const std::uint8_t* first = decoded->data.get() + static_cast<std::size_t>(rect.Y) * decoded->stride +
                                    static_cast<std::size_t>(rect.X) * 3;
        encoded = EncodeBgrToJpeg(first, decoded->stride, width, height, settings);
    } else {
        WICPixelFormatGUID format{};
        ThrowIfFailed(source->GetPixelFormat(&format));
        if (format != GUID_WICPixelFormat24bppBGR) throw HResultError(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
        const std::size_t size = stride * height;
        if (size > 0xFFFFFFFFu) throw HResultError(WINCODEC_ERR_IMAGESIZEOUTOFRANGE);
        const RawBytes pixels = AllocateRaw(size);
        ThrowIfFailed(source->CopyPixels(&rect, static_cast<UINT>(stride), static_cast<UINT>(size), pixels.get()));
        encoded = EncodeBgrToJpeg(pixels.get(), stride, width, height, settings);
    }
    const std::span<const std::uint8_t> bytes(encoded.data.get(), encoded.size);
    auto owner = std::make_shared<EncodedJpeg>(std::move(encoded));
    auto layout = ParseJpegSegments(bytes);
    if (!layout) throw HResultError(WINCODEC_ERR_INTERNALERROR);
    JpegPicture picture;
    SplitHeader(layout->header, picture);
    picture.scans = layout->picture;
    picture.owner = std::move(owner);
    return picture;
}

AssembledJpeg AssembleOutput(const JfifDensity& density, std::span<const OwnedSegment> metadata, JpegPicture picture)
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
        std::vector<std::uint8_t> head = AssembleJpegHead(segments);
        return {std::move(head), std::move(picture)};
    } catch (const std::length_error&) {
        throw HResultError(WINCODEC_ERR_TOOMUCHMETADATA);
    }
}

} // namespace pal::wic
