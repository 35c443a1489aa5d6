// The imaging factory as a built-in class: JPEG decoding and encoding, the
// other containers named from their bytes, and colour contexts. Everything
// else a factory offers (scalers, converters, bitmaps) is the host's.
#include "pal/com/activation.h"
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/stream_bytes.h"

namespace pal::wic {

namespace {

// Enough for every signature DetectContainer knows.
constexpr std::size_t kSignatureBytes = 16;

class ImagingFactory : public ComObjectRoot, public IWICImagingFactory {
  public:
    using Interfaces = InterfaceList<IWICImagingFactory>;

    HRESULT STDMETHODCALLTYPE CreateDecoderFromFilename(LPCWSTR, const GUID*, DWORD, WICDecodeOptions,
                                                        IWICBitmapDecoder**) override
    {
        return E_NOTIMPL;
    }

    // Which decoder comes from the bytes; a preferred vendor is not looked for.
    HRESULT STDMETHODCALLTYPE CreateDecoderFromStream(IStream* pIStream, const GUID*, WICDecodeOptions metadataOptions,
                                                      IWICBitmapDecoder** ppIDecoder) override
    {
        if (!pIStream || !ppIDecoder) return E_INVALIDARG;
        *ppIDecoder = nullptr;
        return Boundary([&] {
            const ContainerFormat format = DetectContainer(PeekStream(pIStream, kSignatureBytes));
            if (format == ContainerFormat::Unknown) return WINCODEC_ERR_COMPONENTNOTFOUND;
            ComPtr<IWICBitmapDecoder> decoder =
                format == ContainerFormat::Jpeg ? CreateJpegDecoder() : CreateContainerOnlyDecoder(format);
            ThrowIfFailed(decoder->Initialize(pIStream, metadataOptions));
            *ppIDecoder = decoder.Detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CreateDecoderFromFileHandle(ULONG_PTR, const GUID*, WICDecodeOptions,
                                                          IWICBitmapDecoder**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateComponentInfo(REFCLSID, IWICComponentInfo**) override { return E_NOTIMPL; }

    // Any vendor is taken: this layer's is the only JPEG decoder there is.
    HRESULT STDMETHODCALLTYPE CreateDecoder(REFGUID guidContainerFormat, const GUID*,
                                            IWICBitmapDecoder** ppIDecoder) override
    {
        if (!ppIDecoder) return E_INVALIDARG;
        *ppIDecoder = nullptr;
        if (guidContainerFormat != GUID_ContainerFormatJpeg) return WINCODEC_ERR_COMPONENTNOTFOUND;
        return Boundary([&] {
            *ppIDecoder = CreateJpegDecoder().Detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CreateEncoder(REFGUID guidContainerFormat, const GUID*,
                                            IWICBitmapEncoder** ppIEncoder) override
    {
        if (!ppIEncoder) return E_INVALIDARG;
        *ppIEncoder = nullptr;
        if (guidContainerFormat != GUID_ContainerFormatJpeg) return WINCODEC_ERR_COMPONENTNOTFOUND;
        return Boundary([&] {
            *ppIEncoder = CreateJpegEncoder().Detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CreatePalette(IWICPalette**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateFormatConverter(IWICFormatConverter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateBitmapScaler(IWICBitmapScaler**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateBitmapClipper(IWICBitmapClipper**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateBitmapFlipRotator(IWICBitmapFlipRotator**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateStream(IWICStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateColorContext(IWICColorContext** ppIWICColorContext) override
    {
        if (!ppIWICColorContext) return E_INVALIDARG;
        *ppIWICColorContext = nullptr;
        return Boundary([&] {
            *ppIWICColorContext = pal::wic::CreateColorContext().Detach();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE CreateColorTransformer(IWICColorTransform**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateBitmap(UINT, UINT, REFWICPixelFormatGUID, WICBitmapCreateCacheOption,
                                           IWICBitmap**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromSource(IWICBitmapSource*, WICBitmapCreateCacheOption,
                                                     IWICBitmap**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromSourceRect(IWICBitmapSource*, UINT, UINT, UINT, UINT,
                                                         IWICBitmap**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromMemory(UINT, UINT, REFWICPixelFormatGUID, UINT, UINT, BYTE*,
                                                     IWICBitmap**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromHBITMAP(HBITMAP, HPALETTE, WICBitmapAlphaChannelOption,
                                                      IWICBitmap**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateBitmapFromHICON(HICON, IWICBitmap**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateComponentEnumerator(DWORD, DWORD, IEnumUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateFastMetadataEncoderFromDecoder(IWICBitmapDecoder*,
                                                                   IWICFastMetadataEncoder**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateFastMetadataEncoderFromFrameDecode(IWICBitmapFrameDecode*,
                                                                       IWICFastMetadataEncoder**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateQueryWriter(REFGUID, const GUID*, IWICMetadataQueryWriter**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateQueryWriterFromReader(IWICMetadataQueryReader*, const GUID*,
                                                          IWICMetadataQueryWriter**) override
    {
        return E_NOTIMPL;
    }
};

HRESULT CreateImagingFactory(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateComObject<ImagingFactory>(nullptr, riid, ppv);
}

const BuiltinClass g_imagingFactory{CLSID_WICImagingFactory, &CreateImagingFactory};

} // namespace

} // namespace pal::wic
