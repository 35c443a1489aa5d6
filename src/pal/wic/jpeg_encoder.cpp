// The JPEG encoder: one frame into the stream it was initialised with.
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/encoder_options.h"
#include "pal/wic/jpeg_frame_encode.h"

namespace pal::wic {

namespace {

class JpegEncoder : public ComObjectRoot, public IWICBitmapEncoder {
  public:
    using Interfaces = InterfaceList<IWICBitmapEncoder>;
    static constexpr bool kLocksModule = false;

    // The file is written as a whole at the frame's commit, so every cache option is the same here.
    HRESULT STDMETHODCALLTYPE Initialize(IStream* pIStream, WICBitmapEncoderCacheOption) override
    {
        if (!pIStream) return E_INVALIDARG;
        std::lock_guard lock(target_->mutex);
        if (target_->stream) return WINCODEC_ERR_WRONGSTATE;
        target_->stream = ComPtr<IStream>(pIStream);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) override
    {
        if (!pguidContainerFormat) return E_INVALIDARG;
        *pguidContainerFormat = GUID_ContainerFormatJpeg;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEncoderInfo(IWICBitmapEncoderInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorContexts(UINT, IWICColorContext**) override
    {
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }
    HRESULT STDMETHODCALLTYPE SetPalette(IWICPalette*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE SetThumbnail(IWICBitmapSource*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }
    HRESULT STDMETHODCALLTYPE SetPreview(IWICBitmapSource*) override { return WINCODEC_ERR_UNSUPPORTEDOPERATION; }

    // A JPEG holds one frame.
    HRESULT STDMETHODCALLTYPE CreateNewFrame(IWICBitmapFrameEncode** ppIFrameEncode,
                                             IPropertyBag2** ppIEncoderOptions) override
    {
        if (!ppIFrameEncode) return E_INVALIDARG;
        *ppIFrameEncode = nullptr;
        if (ppIEncoderOptions) *ppIEncoderOptions = nullptr;
        return Boundary([&] {
            {
                std::lock_guard lock(target_->mutex);
                if (!target_->stream) return WINCODEC_ERR_NOTINITIALIZED;
                if (frameCreated_) return WINCODEC_ERR_WRONGSTATE;
                frameCreated_ = true;
            }
            ComPtr<IWICBitmapFrameEncode> frame = CreateJpegFrameEncode(target_);
            ComPtr<IPropertyBag2> options = ppIEncoderOptions ? CreateJpegEncoderOptions() : nullptr;
            if (ppIEncoderOptions) *ppIEncoderOptions = options.Detach();
            *ppIFrameEncode = frame.Detach();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Commit() override
    {
        std::lock_guard lock(target_->mutex);
        if (!target_->frameCommitted || committed_) return WINCODEC_ERR_WRONGSTATE;
        committed_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMetadataQueryWriter(IWICMetadataQueryWriter**) override
    {
        return WINCODEC_ERR_UNSUPPORTEDOPERATION;
    }

  private:
    const std::shared_ptr<EncoderTarget> target_ = std::make_shared<EncoderTarget>();
    bool frameCreated_ = false;
    bool committed_ = false;
};

} // namespace

ComPtr<IWICBitmapEncoder> CreateJpegEncoder()
{
    return MakeComObject<JpegEncoder, IWICBitmapEncoder>();
}

} // namespace pal::wic
