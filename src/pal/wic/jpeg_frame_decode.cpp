// The one frame of a JPEG: size, resolution, pixels decoded on first demand
// and kept, the ICC profile, and the metadata read through a query reader.
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/icc_profile_segments.h"
#include "pal/wic/jpeg_frame_source.h"
#include "pal/wic/jpeg_pixels.h"
#include "pal/wic/metadata_blocks.h"

#include <cstring>
#include <mutex>

namespace pal::wic {

namespace {

constexpr double kCentimetresPerInch = 2.54;

// JFIF density first (dots per inch or per cm); then EXIF's resolution with
// its unit; else nothing known, 0 by 0.
std::pair<double, double> Resolution(const JpegFile& file, MetadataBlocks& metadata)
{
    if (const auto& density = file.Density(); density && density->units != 0 && density->x != 0 && density->y != 0) {
        const double scale = density->units == 2 ? kCentimetresPerInch : 1.0;
        return {density->x * scale, density->y * scale};
    }
    try {
        std::lock_guard lock(metadata.Mutex());
        const Exiv2::ExifData& exif = metadata.Exif();
        const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
        const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
        if (x == exif.end() || y == exif.end()) return {0, 0};
        const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
        const long unitValue = unit == exif.end() ? 2 : unit->toLong();
        if (unitValue != 2 && unitValue != 3) return {0, 0};
        const double scale = unitValue == 3 ? kCentimetresPerInch : 1.0;
        const auto rx = x->toRational();
        const auto ry = y->toRational();
        if (rx.second <= 0 || ry.second <= 0 || rx.first <= 0 || ry.first <= 0) return {0, 0};
        return {scale * rx.first / rx.second, scale * ry.first / ry.second};
    } catch (const HResultError&) {
        return {0, 0}; // an EXIF block that cannot be read says nothing
    }
}

class JpegFrameDecode : public ComObjectRoot,
                        public IWICBitmapFrameDecode,
                        public IWICMetadataBlockReader,
                        public IJpegFrameSource {
  public:
    using Interfaces =
        InterfaceList<IWICBitmapFrameDecode, IWICBitmapSource, IWICMetadataBlockReader, IJpegFrameSource>;
    static constexpr bool kLocksModule = false;

    explicit JpegFrameDecode(std::shared_ptr<const JpegFile> file) : file_(std::move(file)) {}

    std::shared_ptr<const JpegFile> SourceFile() const noexcept override { return file_; }

    HRESULT STDMETHODCALLTYPE GetSize(UINT* puiWidth, UINT* puiHeight) override
    {
        if (!puiWidth || !puiHeight) return E_INVALIDARG;
        *puiWidth = file_->Width();
        *puiHeight = file_->Height();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* pPixelFormat) override
    {
        if (!pPixelFormat) return E_INVALIDARG;
        *pPixelFormat = GUID_WICPixelFormat24bppBGR;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetResolution(double* pDpiX, double* pDpiY) override
    {
        if (!pDpiX || !pDpiY) return E_INVALIDARG;
        return Boundary([&] {
            const auto [x, y] = Resolution(*file_, Metadata());
            *pDpiX = x;
            *pDpiY = y;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }

    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* prc, UINT cbStride, UINT cbBufferSize, BYTE* pbBuffer) override
    {
        if (!pbBuffer) return E_INVALIDARG;
        const WICRect whole{0, 0, static_cast<INT>(file_->Width()), static_cast<INT>(file_->Height())};
        const WICRect rect = prc ? *prc : whole;
        if (rect.X < 0 || rect.Y < 0 || rect.Width < 0 || rect.Height < 0 || rect.X + rect.Width > whole.Width ||
            rect.Y + rect.Height > whole.Height)
            return E_INVALIDARG;
        if (rect.Width == 0 || rect.Height == 0) return S_OK;
        const std::size_t rowBytes = static_cast<std::size_t>(rect.Width) * 3;
        if (cbStride < rowBytes) return E_INVALIDARG;
        if (cbBufferSize < static_cast<std::size_t>(cbStride) * (rect.Height - 1) + rowBytes)
            return WINCODEC_ERR_INSUFFICIENTBUFFER;
        return Boundary([&] {
            const std::shared_ptr<const BgrPixels> pixels = Pixels();
            for (INT y = 0; y < rect.Height; ++y)
                std::memcpy(pbBuffer + static_cast<std::size_t>(y) * cbStride,
                            pixels->data.get() + (rect.Y + y) * pixels->stride + static_cast<std::size_t>(rect.X) * 3,
                            rowBytes);
            return S_OK;
        });
    }

    HRESULT DecodedPixels(std::shared_ptr<const BgrPixels>* pixels) noexcept override
    {
        if (!pixels) return E_INVALIDARG;
        return Boundary([&] {
            *pixels = Pixels();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader** ppIMetadataQueryReader) override
    {
        if (!ppIMetadataQueryReader) return E_INVALIDARG;
        *ppIMetadataQueryReader = nullptr;
        return Boundary([&] {
            Metadata();
            *ppIMetadataQueryReader = CreateMetadataQueryReader(metadata_).Detach();
            return S_OK;
        });
    }

    // The caller makes the contexts; the frame fills as many as it has profiles for.
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT cCount, IWICColorContext** ppIColorContexts,
                                               UINT* pcActualCount) override
    {
        if (!pcActualCount) return E_INVALIDARG;
        return Boundary([&] {
            const auto profile = AssembleIccProfile(file_->Layout().header);
            const UINT count = profile ? 1 : 0;
            if (cCount != 0 && ppIColorContexts && profile) {
                if (!ppIColorContexts[0]) return E_INVALIDARG;
                ThrowIfFailed(
                    ppIColorContexts[0]->InitializeFromMemory(profile->data(), static_cast<UINT>(profile->size())));
            }
            *pcActualCount = count;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource**) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }

    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) override
    {
        if (!pguidContainerFormat) return E_INVALIDARG;
        *pguidContainerFormat = GUID_ContainerFormatJpeg;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCount(UINT* pcCount) override
    {
        if (!pcCount) return E_INVALIDARG;
        return Boundary([&] {
            *pcCount = static_cast<UINT>(file_->MetadataSegments().size());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetReaderByIndex(UINT, IWICMetadataReader**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumUnknown**) override { return E_NOTIMPL; }

  private:
    MetadataBlocks& Metadata()
    {
        std::lock_guard lock(mutex_);
        if (!metadata_) {
            auto blocks = std::make_shared<MetadataBlocks>();
            blocks->CopyFrom(file_->MetadataSegments());
            metadata_ = std::move(blocks);
        }
        return *metadata_;
    }

    std::shared_ptr<const BgrPixels> Pixels()
    {
        std::lock_guard lock(mutex_);
        if (!pixels_)
            pixels_ =
                std::make_shared<const BgrPixels>(DecodeJpegToBgr(file_->Bytes(), file_->Width(), file_->Height()));
        return pixels_;
    }

    const std::shared_ptr<const JpegFile> file_;
    std::mutex mutex_;
    std::shared_ptr<const BgrPixels> pixels_;
    std::shared_ptr<MetadataBlocks> metadata_;
};

} // namespace

ComPtr<IWICBitmapFrameDecode> CreateJpegFrameDecode(std::shared_ptr<const JpegFile> file)
{
    return MakeComObject<JpegFrameDecode, IWICBitmapFrameDecode>(std::move(file));
}

} // namespace pal::wic
