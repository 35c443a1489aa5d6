// An encoder frame. Its metadata is serialised when the source is written,
// before any pixel is touched, so a copied block that cannot be carried fails
// WriteSource with its own code and the caller may try again without it.
// The finished file reaches the stream only at Commit.
//
// Pixels intact: a source that is an unchanged frame of this layer's JPEG
// decoder, written whole into a frame of its own size initialised without
// options, keeps its compressed picture byte for byte; only the metadata
// around it is new.
#include "pal/wic/jpeg_frame_encode.h"

#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/encoder_options.h"
#include "pal/wic/icc_profile_segments.h"
#include "pal/wic/jpeg_frame_source.h"
#include "pal/wic/jpeg_picture.h"
#include "pal/wic/metadata_blocks.h"
#include "pal/wic/stream_bytes.h"

#include <algorithm>
#include <cmath>

namespace pal::wic {

namespace {

// What a new frame says when nobody set a resolution, as the system's encoder does.
constexpr double kDefaultDpi = 96.0;

std::uint16_t DensityOf(double dpi)
{
    return static_cast<std::uint16_t>(std::clamp(std::lround(dpi), 1L, 65535L));
}

JpegEncodeSettings SettingsFrom(const JpegEncoderOptions& options)
{
    JpegEncodeSettings settings;
    settings.quality = std::clamp(static_cast<int>(std::lround(options.imageQuality * 100.0f)), 1, 100);
    switch (options.subsampling) {
    case WICJpegYCrCbSubsampling422:
        settings.lumaHorizontal = 2;
        settings.lumaVertical = 1;
        break;
    case WICJpegYCrCbSubsampling444:
        settings.lumaHorizontal = 1;
        settings.lumaVertical = 1;
        break;
    case WICJpegYCrCbSubsampling440:
        settings.lumaHorizontal = 1;
        settings.lumaVertical = 2;
        break;
    case WICJpegYCrCbSubsamplingDefault:
    case WICJpegYCrCbSubsampling420:
        settings.lumaHorizontal = 2;
        settings.lumaVertical = 2;
        break;
    }
    return settings;
}

class JpegFrameEncode : public ComObjectRoot, public IWICBitmapFrameEncode, public IWICMetadataBlockWriter {
  public:
    using Interfaces = InterfaceList<IWICBitmapFrameEncode, IWICMetadataBlockWriter, IWICMetadataBlockReader>;
    static constexpr bool kLocksModule = false;

    explicit JpegFrameEncode(std::shared_ptr<EncoderTarget> target)
        : target_(std::move(target)), metadata_(std::make_shared<MetadataBlocks>())
    {
    }

    HRESULT STDMETHODCALLTYPE Initialize(IPropertyBag2* pIEncoderOptions) override
    {
        return Boundary([&] {
            std::lock_guard lock(mutex_);
            if (initialised_) return WINCODEC_ERR_WRONGSTATE;
            if (pIEncoderOptions) options_ = ReadJpegEncoderOptions(pIEncoderOptions);
            initialised_ = true;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetSize(UINT uiWidth, UINT uiHeight) override
    {
        if (uiWidth == 0 || uiHeight == 0 || uiWidth > 65535 || uiHeight > 65535) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (!initialised_) return WINCODEC_ERR_NOTINITIALIZED;
        if (output_) return WINCODEC_ERR_WRONGSTATE;
        width_ = uiWidth;
        height_ = uiHeight;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetResolution(double dpiX, double dpiY) override
    {
        if (!(dpiX > 0) || !(dpiY > 0)) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (!initialised_) return WINCODEC_ERR_NOTINITIALIZED;
        if (output_) return WINCODEC_ERR_WRONGSTATE;
        dpi_ = {dpiX, dpiY};
        return S_OK;
    }
    // Only 24bppBGR is written; any other request is answered with it, as the system does.
    HRESULT STDMETHODCALLTYPE SetPixelFormat(WICPixelFormatGUID* pPixelFormat) override
    {
        if (!pPixelFormat) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (!initialised_) return WINCODEC_ERR_NOTINITIALIZED;
        *pPixelFormat = GUID_WICPixelFormat24bppBGR;
        return S_OK;
    }
    // The contexts decide the profile: a profile context's bytes are written
    // (the first one), in place of any profile a block copy brought; an EXIF
    // colour space context writes none.
    HRESULT STDMETHODCALLTYPE SetColorContexts(UINT cCount, IWICColorContext** ppIColorContext) override
    {
        if (cCount != 0 && !ppIColorContext) return E_INVALIDARG;
        return Boundary([&] {
            std::optional<std::vector<std::uint8_t>> profile;
            for (UINT i = 0; i < cCount && !profile; ++i) {
                if (!ppIColorContext[i]) return E_INVALIDARG;
                WICColorContextType type = WICColorContextUninitialized;
                ThrowIfFailed(ppIColorContext[i]->GetType(&type));
                if (type != WICColorContextProfile) continue;
                UINT size = 0;
                ThrowIfFailed(ppIColorContext[i]->GetProfileBytes(0, nullptr, &size));
                std::vector<std::uint8_t> bytes(size);
                ThrowIfFailed(ppIColorContext[i]->GetProfileBytes(size, bytes.data(), &size));
                bytes.resize(size);
                profile = std::move(bytes);
            }
            std::lock_guard lock(mutex_);
            if (!initialised_) return WINCODEC_ERR_NOTINITIALIZED;
            if (output_) return WINCODEC_ERR_WRONGSTATE;
            colorContextProfile_ = std::move(profile);
            colorContextsSet_ = true;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetPalette(IWICPalette*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE SetThumbnail(IWICBitmapSource*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE WritePixels(UINT, UINT, UINT, BYTE*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE WriteSource(IWICBitmapSource* pIBitmapSource, WICRect* prc) override
    {
        if (!pIBitmapSource) return E_INVALIDARG;
        return Boundary([&] {
            std::lock_guard lock(mutex_);
            if (!initialised_) return WINCODEC_ERR_NOTINITIALIZED;
            if (output_) return WINCODEC_ERR_WRONGSTATE;
            UINT sourceWidth = 0;
            UINT sourceHeight = 0;
            ThrowIfFailed(pIBitmapSource->GetSize(&sourceWidth, &sourceHeight));
            const WICRect whole{0, 0, static_cast<INT>(sourceWidth), static_cast<INT>(sourceHeight)};
            const WICRect rect = prc ? *prc : whole;
            if (rect.X < 0 || rect.Y < 0 || rect.Width <= 0 || rect.Height <= 0 || rect.X + rect.Width > whole.Width ||
                rect.Y + rect.Height > whole.Height)
                return E_INVALIDARG;
            if (width_ == 0) {
                width_ = static_cast<UINT>(rect.Width);
                height_ = static_cast<UINT>(rect.Height);
            }
            // One source fills the frame; it is not put together from bands.
            if (static_cast<UINT>(rect.Width) != width_ || static_cast<UINT>(rect.Height) != height_)
                return E_INVALIDARG;

            const std::vector<OwnedSegment> metadata = SerialiseMetadata();
            const JfifDensity density = Density(pIBitmapSource);

            ComPtr<IJpegFrameSource> jpegSource;
            const bool wholeSource =
                rect.X == 0 && rect.Y == 0 && rect.Width == whole.Width && rect.Height == whole.Height;
            const bool intact =
                !options_ && wholeSource &&
                SUCCEEDED(pIBitmapSource->QueryInterface(IID_IJpegFrameSource, jpegSource.ReleaseAndGetVoidAddress()));
            JpegPicture picture =
                intact ? CarryPicture(jpegSource->SourceFile())
                       : EncodePicture(pIBitmapSource, rect, SettingsFrom(options_.value_or(JpegEncoderOptions{})));
            output_ = AssembleOutput(density, metadata, std::move(picture));
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Commit() override
    {
        return Boundary([&] {
            std::lock_guard lock(mutex_);
            if (!output_ || committed_) return WINCODEC_ERR_WRONGSTATE;
            std::lock_guard targetLock(target_->mutex);
            WriteToStream(target_->stream.Get(), output_->head);
            WriteToStream(target_->stream.Get(), output_->picture.scans);
            committed_ = true;
            target_->frameCommitted = true;
            *output_ = AssembledJpeg{}; // frees the picture, keeps the frame written
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetMetadataQueryWriter(IWICMetadataQueryWriter** ppIMetadataQueryWriter) override
    {
        if (!ppIMetadataQueryWriter) return E_INVALIDARG;
        *ppIMetadataQueryWriter = nullptr;
        return Boundary([&] {
            *ppIMetadataQueryWriter = CreateMetadataQueryWriter(metadata_).Detach();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) override
    {
        if (!pguidContainerFormat) return E_INVALIDARG;
        *pguidContainerFormat = GUID_ContainerFormatJpeg;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetReaderByIndex(UINT, IWICMetadataReader**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumUnknown**) override { return E_NOTIMPL; }

    // Only a frame of this layer's JPEG decoder gives its blocks.
    HRESULT STDMETHODCALLTYPE InitializeFromBlockReader(IWICMetadataBlockReader* pIMDBlockReader) override
    {
        if (!pIMDBlockReader) return E_INVALIDARG;
        return Boundary([&] {
            ComPtr<IJpegFrameSource> source;
            if (FAILED(pIMDBlockReader->QueryInterface(IID_IJpegFrameSource, source.ReleaseAndGetVoidAddress())))
                return WINCODEC_ERR_UNSUPPORTEDOPERATION;
            const auto file = source->SourceFile();
            std::lock_guard lock(metadata_->Mutex());
            metadata_->CopyFrom(file->MetadataSegments());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetWriterByIndex(UINT, IWICMetadataWriter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddWriter(IWICMetadataWriter*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWriterByIndex(UINT, IWICMetadataWriter*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveWriterByIndex(UINT) override { return E_NOTIMPL; }

  private:
    std::vector<OwnedSegment> SerialiseMetadata()
    {
        std::lock_guard lock(metadata_->Mutex());
        const std::optional<std::vector<std::uint8_t>>& profile =
            colorContextsSet_ ? colorContextProfile_ : metadata_->CopiedIccProfile();
        std::vector<OwnedSegment> icc;
        if (profile) {
            try {
                icc = IccProfileSegments(*profile);
            } catch (const std::length_error&) {
                throw HResultError(WINCODEC_ERR_TOOMUCHMETADATA);
            }
        }
        return metadata_->Serialise(icc);
    }

    // The frame's resolution, else the source's, else the default.
    JfifDensity Density(IWICBitmapSource* source) const
    {
        std::pair<double, double> dpi{kDefaultDpi, kDefaultDpi};
        if (dpi_) {
            dpi = *dpi_;
        } else if (double x = 0, y = 0; SUCCEEDED(source->GetResolution(&x, &y)) && x > 0 && y > 0) {
            dpi = {x, y};
        }
        return JfifDensity{1, DensityOf(dpi.first), DensityOf(dpi.second)};
    }

    const std::shared_ptr<EncoderTarget> target_;
    const std::shared_ptr<MetadataBlocks> metadata_;
    std::mutex mutex_;
    bool initialised_ = false;
    std::optional<JpegEncoderOptions> options_;
    UINT width_ = 0;
    UINT height_ = 0;
    std::optional<std::pair<double, double>> dpi_;
    bool colorContextsSet_ = false;
    std::optional<std::vector<std::uint8_t>> colorContextProfile_;
    std::optional<AssembledJpeg> output_;
    bool committed_ = false;
};

} // namespace

ComPtr<IWICBitmapFrameEncode> CreateJpegFrameEncode(std::shared_ptr<EncoderTarget> target)
{
    return MakeComObject<JpegFrameEncode, IWICBitmapFrameEncode>(std::move(target));
}

} // namespace pal::wic
