// The decoders: JPEG's, which holds the file and hands out its one frame,
// and the one for the containers whose pixels the host decodes itself
// (PNG, GIF, TIFF, BMP), which only says what it holds.
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/jpeg_file.h"
#include "pal/wic/stream_bytes.h"

#include <atomic>
#include <mutex>

namespace pal::wic {

namespace {

// The methods the decoders here answer alike: no palette, preview,
// thumbnail or container-level metadata.
class DecoderBase : public ComObjectRoot, public IWICBitmapDecoder {
  public:
    using Interfaces = InterfaceList<IWICBitmapDecoder>;
    static constexpr bool kLocksModule = false;

    HRESULT STDMETHODCALLTYPE QueryCapability(IStream*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDecoderInfo(IWICBitmapDecoderInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader**) override
    {
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }
    HRESULT STDMETHODCALLTYPE GetPreview(IWICBitmapSource**) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE GetColorContexts(UINT, IWICColorContext**, UINT*) override
    {
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }
    HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource**) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
};

class JpegDecoder : public DecoderBase {
  public:
    // Only the segments are read here; pixels wait for the frame's first CopyPixels.
    HRESULT STDMETHODCALLTYPE Initialize(IStream* pIStream, WICDecodeOptions) override
    {
        if (!pIStream) return E_INVALIDARG;
        return Boundary([&] {
            std::lock_guard lock(mutex_);
            if (file_) return WINCODEC_ERR_WRONGSTATE;
            file_ = JpegFile::Parse(ReadStreamToEnd(pIStream));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) override
    {
        if (!pguidContainerFormat) return E_INVALIDARG;
        *pguidContainerFormat = GUID_ContainerFormatJpeg;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFrameCount(UINT* pCount) override
    {
        if (!pCount) return E_INVALIDARG;
        if (!File()) return WINCODEC_ERR_NOTINITIALIZED;
        *pCount = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFrame(UINT index, IWICBitmapFrameDecode** ppIBitmapFrame) override
    {
        if (!ppIBitmapFrame) return E_INVALIDARG;
        *ppIBitmapFrame = nullptr;
        return Boundary([&] {
            std::lock_guard lock(mutex_);
            if (!file_) return WINCODEC_ERR_NOTINITIALIZED;
            if (index != 0) return E_INVALIDARG;
            // One frame object, so pixels decoded through it once serve every caller.
            if (!frame_) frame_ = CreateJpegFrameDecode(file_);
            *ppIBitmapFrame = ComPtr<IWICBitmapFrameDecode>(frame_).Detach();
            return S_OK;
        });
    }

  private:
    std::shared_ptr<const JpegFile> File()
    {
        std::lock_guard lock(mutex_);
        return file_;
    }

    std::mutex mutex_;
    std::shared_ptr<const JpegFile> file_;
    ComPtr<IWICBitmapFrameDecode> frame_;
};

GUID ContainerGuid(ContainerFormat format)
{
    switch (format) {
    case ContainerFormat::Jpeg:
        return GUID_ContainerFormatJpeg;
    case ContainerFormat::Png:
        return GUID_ContainerFormatPng;
    case ContainerFormat::Gif:
        return GUID_ContainerFormatGif;
    case ContainerFormat::Tiff:
        return GUID_ContainerFormatTiff;
    case ContainerFormat::Bmp:
        return GUID_ContainerFormatBmp;
    case ContainerFormat::Unknown:
        break;
    }
    throw HResultError(WINCODEC_ERR_COMPONENTNOTFOUND);
}

// Checks the signature and keeps nothing else; every such file counts as one
// frame, a multi-image GIF or TIFF too.
class ContainerOnlyDecoder : public DecoderBase {
  public:
    explicit ContainerOnlyDecoder(ContainerFormat format) : format_(format) {}

    HRESULT STDMETHODCALLTYPE Initialize(IStream* pIStream, WICDecodeOptions) override
    {
        if (!pIStream) return E_INVALIDARG;
        return Boundary([&] {
            const auto head = PeekStream(pIStream, 16);
            if (DetectContainer(head) != format_) return WINCODEC_ERR_BADHEADER;
            initialised_ = true;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) override
    {
        if (!pguidContainerFormat) return E_INVALIDARG;
        return Boundary([&] {
            *pguidContainerFormat = ContainerGuid(format_);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetFrameCount(UINT* pCount) override
    {
        if (!pCount) return E_INVALIDARG;
        if (!initialised_) return WINCODEC_ERR_NOTINITIALIZED;
        *pCount = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFrame(UINT, IWICBitmapFrameDecode** ppIBitmapFrame) override
    {
        if (ppIBitmapFrame) *ppIBitmapFrame = nullptr;
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }

  private:
    const ContainerFormat format_;
    std::atomic<bool> initialised_{false};
};

} // namespace

ComPtr<IWICBitmapDecoder> CreateJpegDecoder()
{
    return MakeComObject<JpegDecoder, IWICBitmapDecoder>();
}

ComPtr<IWICBitmapDecoder> CreateContainerOnlyDecoder(ContainerFormat format)
{
    return MakeComObject<ContainerOnlyDecoder, IWICBitmapDecoder>(format);
}

} // namespace pal::wic
