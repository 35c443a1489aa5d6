// The imaging component's interfaces as far as the component and the host
// call them: the factory, decoders and their frames, encoders and their
// frames, bitmaps, colour contexts and the metadata block and query
// interfaces. Every interface lists all of its methods in the system's order,
// so the slots sit where callers built for the system expect them; methods no
// caller here uses answer E_NOTIMPL.
#pragma once

#include "../com/property_bag.h"
#include "../com/propvariant.h"
#include "../com/stream.h"

struct IEnumString;
struct IEnumUnknown;
struct IWICPalette;
struct IWICBitmapDecoderInfo;
struct IWICBitmapEncoderInfo;
struct IWICComponentInfo;
struct IWICFormatConverter;
struct IWICBitmapScaler;
struct IWICBitmapClipper;
struct IWICBitmapFlipRotator;
struct IWICStream;
struct IWICColorTransform;
struct IWICEnumMetadataItem;
struct IWICMetadataReader;
struct IWICMetadataWriter;
struct IWICFastMetadataEncoder;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;

using WICPixelFormatGUID = GUID;
using REFWICPixelFormatGUID = const GUID&;
using WICInProcPointer = BYTE*;

struct WICRect {
    INT X;
    INT Y;
    INT Width;
    INT Height;
};

enum WICDecodeOptions : DWORD { WICDecodeMetadataCacheOnDemand = 0x0, WICDecodeMetadataCacheOnLoad = 0x1 };
enum WICBitmapEncoderCacheOption : DWORD {
    WICBitmapEncoderCacheInMemory = 0x0,
    WICBitmapEncoderCacheTempFile = 0x1,
    WICBitmapEncoderNoCache = 0x2,
};
enum WICBitmapCreateCacheOption : DWORD {
    WICBitmapNoCache = 0x0,
    WICBitmapCacheOnDemand = 0x1,
    WICBitmapCacheOnLoad = 0x2,
};
enum WICColorContextType : DWORD {
    WICColorContextUninitialized = 0x0,
    WICColorContextProfile = 0x1,
    WICColorContextExifColorSpace = 0x2,
};
enum WICBitmapAlphaChannelOption : DWORD {
    WICBitmapUseAlpha = 0,
    WICBitmapUsePremultipliedAlpha = 1,
    WICBitmapIgnoreAlpha = 2
};
enum WICBitmapLockFlags : DWORD { WICBitmapLockRead = 0x1, WICBitmapLockWrite = 0x2 };
enum WICJpegYCrCbSubsamplingOption : BYTE {
    WICJpegYCrCbSubsamplingDefault = 0,
    WICJpegYCrCbSubsampling420 = 1,
    WICJpegYCrCbSubsampling422 = 2,
    WICJpegYCrCbSubsampling444 = 3,
    WICJpegYCrCbSubsampling440 = 4,
};

constexpr HRESULT WINCODEC_ERR_WRONGSTATE = HR(0x88982F04);
constexpr HRESULT WINCODEC_ERR_VALUEOUTOFRANGE = HR(0x88982F05);
constexpr HRESULT WINCODEC_ERR_UNKNOWNIMAGEFORMAT = HR(0x88982F07);
constexpr HRESULT WINCODEC_ERR_NOTINITIALIZED = HR(0x88982F0C);
constexpr HRESULT WINCODEC_ERR_PROPERTYNOTFOUND = HR(0x88982F40);
constexpr HRESULT WINCODEC_ERR_PROPERTYNOTSUPPORTED = HR(0x88982F41);
constexpr HRESULT WINCODEC_ERR_PALETTEUNAVAILABLE = HR(0x88982F45);
constexpr HRESULT WINCODEC_ERR_CODECTOOMANYSCANLINES = HR(0x88982F46);
constexpr HRESULT WINCODEC_ERR_INTERNALERROR = HR(0x88982F48);
constexpr HRESULT WINCODEC_ERR_COMPONENTNOTFOUND = HR(0x88982F50);
constexpr HRESULT WINCODEC_ERR_IMAGESIZEOUTOFRANGE = HR(0x88982F51);
constexpr HRESULT WINCODEC_ERR_TOOMUCHMETADATA = HR(0x88982F52);
constexpr HRESULT WINCODEC_ERR_BADIMAGE = HR(0x88982F60);
constexpr HRESULT WINCODEC_ERR_BADHEADER = HR(0x88982F61);
constexpr HRESULT WINCODEC_ERR_FRAMEMISSING = HR(0x88982F62);
constexpr HRESULT WINCODEC_ERR_BADMETADATAHEADER = HR(0x88982F63);
constexpr HRESULT WINCODEC_ERR_BADSTREAMDATA = HR(0x88982F70);
constexpr HRESULT WINCODEC_ERR_STREAMWRITE = HR(0x88982F71);
constexpr HRESULT WINCODEC_ERR_STREAMREAD = HR(0x88982F72);
constexpr HRESULT WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT = HR(0x88982F80);
constexpr HRESULT WINCODEC_ERR_UNSUPPORTEDOPERATION = HR(0x88982F81);
constexpr HRESULT WINCODEC_ERR_INSUFFICIENTBUFFER = HR(0x88982F8C);
constexpr HRESULT WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE = HR(0x88982F8E);
constexpr HRESULT WINCODEC_ERR_INVALIDQUERYREQUEST = HR(0x88982F90);

inline constexpr CLSID CLSID_WICImagingFactory = pal::MakeGuid("CACAF262-9370-4615-A13B-9F5539DA4C0A");
inline constexpr GUID GUID_ContainerFormatBmp = pal::MakeGuid("0AF1D87E-FCFE-4188-BDEB-A7906471CBE3");
inline constexpr GUID GUID_ContainerFormatPng = pal::MakeGuid("1B7CFAF4-713F-473C-BBCD-6137425FAEAF");
inline constexpr GUID GUID_ContainerFormatJpeg = pal::MakeGuid("19E4A5AA-5662-4FC5-A0C0-1758028E1057");
inline constexpr GUID GUID_ContainerFormatTiff = pal::MakeGuid("163BCC30-E2E9-4F0B-961D-A3E9FDB788A3");
inline constexpr GUID GUID_ContainerFormatGif = pal::MakeGuid("1F8A5601-7D4D-4CBD-9C82-1BC8D4EEB9A5");
inline constexpr GUID GUID_VendorMicrosoft = pal::MakeGuid("F0E749CA-EDEF-4589-A73A-EE0E626A2A2B");
inline constexpr GUID GUID_WICPixelFormatDontCare = pal::MakeGuid("6FDDC324-4E03-4BFE-B185-3D77768DC900");
inline constexpr GUID GUID_WICPixelFormat8bppGray = pal::MakeGuid("6FDDC324-4E03-4BFE-B185-3D77768DC908");
inline constexpr GUID GUID_WICPixelFormat24bppBGR = pal::MakeGuid("6FDDC324-4E03-4BFE-B185-3D77768DC90C");
inline constexpr GUID GUID_WICPixelFormat24bppRGB = pal::MakeGuid("6FDDC324-4E03-4BFE-B185-3D77768DC90D");
inline constexpr GUID GUID_WICPixelFormat32bppCMYK = pal::MakeGuid("6FDDC324-4E03-4BFE-B185-3D77768DC91C");

struct IWICBitmapSource : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSize(UINT* puiWidth, UINT* puiHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* pPixelFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResolution(double* pDpiX, double* pDpiY) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette* pIPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* prc, UINT cbStride, UINT cbBufferSize,
                                                 BYTE* pbBuffer) = 0;

  protected:
    ~IWICBitmapSource() = default;
};

struct IWICBitmapLock : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSize(UINT* puiWidth, UINT* puiHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStride(UINT* pcbStride) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataPointer(UINT* pcbBufferSize, WICInProcPointer* ppbData) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* pPixelFormat) = 0;

  protected:
    ~IWICBitmapLock() = default;
};

struct IWICBitmap : IWICBitmapSource {
    virtual HRESULT STDMETHODCALLTYPE Lock(const WICRect* prcLock, DWORD flags, IWICBitmapLock** ppILock) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPalette(IWICPalette* pIPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetResolution(double dpiX, double dpiY) = 0;

  protected:
    ~IWICBitmap() = default;
};

struct IWICColorContext : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InitializeFromFilename(LPCWSTR wzFilename) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitializeFromMemory(const BYTE* pbBuffer, UINT cbBufferSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitializeFromExifColorSpace(UINT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetType(WICColorContextType* pType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProfileBytes(UINT cbBuffer, BYTE* pbBuffer, UINT* pcbActual) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExifColorSpace(UINT* pValue) = 0;

  protected:
    ~IWICColorContext() = default;
};

struct IWICMetadataQueryReader : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLocation(UINT cchMaxLength, WCHAR* wzNamespace, UINT* pcchActualLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMetadataByName(LPCWSTR wzName, PROPVARIANT* pvarValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumString** ppIEnumString) = 0;

  protected:
    ~IWICMetadataQueryReader() = default;
};

struct IWICMetadataQueryWriter : IWICMetadataQueryReader {
    virtual HRESULT STDMETHODCALLTYPE SetMetadataByName(LPCWSTR wzName, const PROPVARIANT* pvarValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveMetadataByName(LPCWSTR wzName) = 0;

  protected:
    ~IWICMetadataQueryWriter() = default;
};

struct IWICMetadataBlockReader : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(UINT* pcCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReaderByIndex(UINT nIndex, IWICMetadataReader** ppIMetadataReader) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumUnknown** ppIEnumMetadata) = 0;

  protected:
    ~IWICMetadataBlockReader() = default;
};

struct IWICMetadataBlockWriter : IWICMetadataBlockReader {
    virtual HRESULT STDMETHODCALLTYPE InitializeFromBlockReader(IWICMetadataBlockReader* pIMDBlockReader) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWriterByIndex(UINT nIndex, IWICMetadataWriter** ppIMetadataWriter) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddWriter(IWICMetadataWriter* pIMetadataWriter) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWriterByIndex(UINT nIndex, IWICMetadataWriter* pIMetadataWriter) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveWriterByIndex(UINT nIndex) = 0;

  protected:
    ~IWICMetadataBlockWriter() = default;
};

struct IWICBitmapFrameDecode : IWICBitmapSource {
    virtual HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader** ppIMetadataQueryReader) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorContexts(UINT cCount, IWICColorContext** ppIColorContexts,
                                                       UINT* pcActualCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource** ppIThumbnail) = 0;

  protected:
    ~IWICBitmapFrameDecode() = default;
};

struct IWICBitmapDecoder : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryCapability(IStream* pIStream, DWORD* pdwCapability) = 0;
    virtual HRESULT STDMETHODCALLTYPE Initialize(IStream* pIStream, WICDecodeOptions cacheOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDecoderInfo(IWICBitmapDecoderInfo** ppIDecoderInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette* pIPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMetadataQueryReader(IWICMetadataQueryReader** ppIMetadataQueryReader) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPreview(IWICBitmapSource** ppIBitmapSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorContexts(UINT cCount, IWICColorContext** ppIColorContexts,
                                                       UINT* pcActualCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(IWICBitmapSource** ppIThumbnail) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFrameCount(UINT* pCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFrame(UINT index, IWICBitmapFrameDecode** ppIBitmapFrame) = 0;

  protected:
    ~IWICBitmapDecoder() = default;
};

struct IWICBitmapFrameEncode : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(IPropertyBag2* pIEncoderOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(UINT uiWidth, UINT uiHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetResolution(double dpiX, double dpiY) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPixelFormat(WICPixelFormatGUID* pPixelFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorContexts(UINT cCount, IWICColorContext** ppIColorContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPalette(IWICPalette* pIPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetThumbnail(IWICBitmapSource* pIThumbnail) = 0;
    virtual HRESULT STDMETHODCALLTYPE WritePixels(UINT lineCount, UINT cbStride, UINT cbBufferSize, BYTE* pbPixels) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteSource(IWICBitmapSource* pIBitmapSource, WICRect* prc) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMetadataQueryWriter(IWICMetadataQueryWriter** ppIMetadataQueryWriter) = 0;

  protected:
    ~IWICBitmapFrameEncode() = default;
};

struct IWICBitmapEncoder : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(IStream* pIStream, WICBitmapEncoderCacheOption cacheOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEncoderInfo(IWICBitmapEncoderInfo** ppIEncoderInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorContexts(UINT cCount, IWICColorContext** ppIColorContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPalette(IWICPalette* pIPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetThumbnail(IWICBitmapSource* pIThumbnail) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPreview(IWICBitmapSource* pIPreview) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateNewFrame(IWICBitmapFrameEncode** ppIFrameEncode,
                                                     IPropertyBag2** ppIEncoderOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMetadataQueryWriter(IWICMetadataQueryWriter** ppIMetadataQueryWriter) = 0;

  protected:
    ~IWICBitmapEncoder() = default;
};

struct IWICImagingFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateDecoderFromFilename(LPCWSTR wzFilename, const GUID* pguidVendor,
                                                                DWORD dwDesiredAccess, WICDecodeOptions metadataOptions,
                                                                IWICBitmapDecoder** ppIDecoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDecoderFromStream(IStream* pIStream, const GUID* pguidVendor,
                                                              WICDecodeOptions metadataOptions,
                                                              IWICBitmapDecoder** ppIDecoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDecoderFromFileHandle(ULONG_PTR hFile, const GUID* pguidVendor,
                                                                  WICDecodeOptions metadataOptions,
                                                                  IWICBitmapDecoder** ppIDecoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateComponentInfo(REFCLSID clsidComponent, IWICComponentInfo** ppIInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDecoder(REFGUID guidContainerFormat, const GUID* pguidVendor,
                                                    IWICBitmapDecoder** ppIDecoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateEncoder(REFGUID guidContainerFormat, const GUID* pguidVendor,
                                                    IWICBitmapEncoder** ppIEncoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePalette(IWICPalette** ppIPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFormatConverter(IWICFormatConverter** ppIFormatConverter) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapScaler(IWICBitmapScaler** ppIBitmapScaler) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapClipper(IWICBitmapClipper** ppIBitmapClipper) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFlipRotator(IWICBitmapFlipRotator** ppIBitmapFlipRotator) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateStream(IWICStream** ppIWICStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateColorContext(IWICColorContext** ppIWICColorContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateColorTransformer(IWICColorTransform** ppIWICColorTransform) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmap(UINT uiWidth, UINT uiHeight, REFWICPixelFormatGUID pixelFormat,
                                                   WICBitmapCreateCacheOption option, IWICBitmap** ppIBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromSource(IWICBitmapSource* pIBitmapSource,
                                                             WICBitmapCreateCacheOption option,
                                                             IWICBitmap** ppIBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromSourceRect(IWICBitmapSource* pIBitmapSource, UINT x, UINT y,
                                                                 UINT width, UINT height, IWICBitmap** ppIBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromMemory(UINT uiWidth, UINT uiHeight,
                                                             REFWICPixelFormatGUID pixelFormat, UINT cbStride,
                                                             UINT cbBufferSize, BYTE* pbBuffer,
                                                             IWICBitmap** ppIBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromHBITMAP(HBITMAP hBitmap, HPALETTE hPalette,
                                                              WICBitmapAlphaChannelOption options,
                                                              IWICBitmap** ppIBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBitmapFromHICON(HICON hIcon, IWICBitmap** ppIBitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateComponentEnumerator(DWORD componentTypes, DWORD options,
                                                                IEnumUnknown** ppIEnumUnknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    CreateFastMetadataEncoderFromDecoder(IWICBitmapDecoder* pIDecoder, IWICFastMetadataEncoder** ppIFastEncoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFastMetadataEncoderFromFrameDecode(
        IWICBitmapFrameDecode* pIFrameDecoder, IWICFastMetadataEncoder** ppIFastEncoder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateQueryWriter(REFGUID guidMetadataFormat, const GUID* pguidVendor,
                                                        IWICMetadataQueryWriter** ppIQueryWriter) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateQueryWriterFromReader(IWICMetadataQueryReader* pIQueryReader,
                                                                  const GUID* pguidVendor,
                                                                  IWICMetadataQueryWriter** ppIQueryWriter) = 0;

  protected:
    ~IWICImagingFactory() = default;
};

PAL_DECLARE_IID(IWICBitmapSource, "00000120-A8F2-4877-BA0A-FD2B6645FB94");
PAL_DECLARE_IID(IWICBitmapLock, "00000123-A8F2-4877-BA0A-FD2B6645FB94");
PAL_DECLARE_IID(IWICBitmap, "00000121-A8F2-4877-BA0A-FD2B6645FB94");
PAL_DECLARE_IID(IWICColorContext, "3C613A02-34B2-44EA-9A7C-45AEA9C6FD6D");
PAL_DECLARE_IID(IWICMetadataQueryReader, "30989668-E1C9-4597-B395-458EEDB808DF");
PAL_DECLARE_IID(IWICMetadataQueryWriter, "A721791A-0DEF-4D06-BD91-2118BF1DB10B");
PAL_DECLARE_IID(IWICMetadataBlockReader, "FEAA2A8D-B3F3-43E4-B25C-D1DE990A1AE1");
PAL_DECLARE_IID(IWICMetadataBlockWriter, "08FB9676-B444-41E8-8DBE-6A53A542BFF1");
PAL_DECLARE_IID(IWICBitmapFrameDecode, "3B16811B-6A43-4EC9-A813-3D930C13B940");
PAL_DECLARE_IID(IWICBitmapDecoder, "9EDDE9E7-8DEE-47EA-99DF-E6FAF2ED44BF");
PAL_DECLARE_IID(IWICBitmapFrameEncode, "00000105-A8F2-4877-BA0A-FD2B6645FB94");
PAL_DECLARE_IID(IWICBitmapEncoder, "00000103-A8F2-4877-BA0A-FD2B6645FB94");
PAL_DECLARE_IID(IWICImagingFactory, "EC5EC8A9-C395-4314-9C77-54D7A935FF70");
