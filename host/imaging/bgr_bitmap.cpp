#include "host/imaging/bgr_bitmap.h"

#include <cstring>

namespace host::imaging {

namespace {

constexpr UINT kBytesPerPixel = 3;

} // namespace

BgrBitmap::BgrBitmap(UINT width, UINT height, PixelBuffer pixels, double dpiX, double dpiY)
    : width_(width), height_(height), pixels_(std::move(pixels)), dpiX_(dpiX), dpiY_(dpiY)
{
}

HRESULT BgrBitmap::GetSize(UINT* puiWidth, UINT* puiHeight)
{
    if (!puiWidth || !puiHeight) return E_INVALIDARG;
    *puiWidth = width_;
    *puiHeight = height_;
    return S_OK;
}

HRESULT BgrBitmap::GetPixelFormat(WICPixelFormatGUID* pPixelFormat)
{
    if (!pPixelFormat) return E_INVALIDARG;
    *pPixelFormat = GUID_WICPixelFormat24bppBGR;
    return S_OK;
}

HRESULT BgrBitmap::GetResolution(double* pDpiX, double* pDpiY)
{
    if (!pDpiX || !pDpiY) return E_INVALIDARG;
    *pDpiX = dpiX_;
    *pDpiY = dpiY_;
    return S_OK;
}

HRESULT BgrBitmap::CopyPalette(IWICPalette*)
{
    return WINCODEC_ERR_PALETTEUNAVAILABLE; // never indexed
}

HRESULT BgrBitmap::CopyPixels(const WICRect* prc, UINT cbStride, UINT cbBufferSize, BYTE* pbBuffer)
{
    if (!pbBuffer) return E_INVALIDARG;
    const WICRect whole{0, 0, static_cast<INT>(width_), static_cast<INT>(height_)};
    const WICRect rect = prc ? *prc : whole;
    if (rect.X < 0 || rect.Y < 0 || rect.Width < 0 || rect.Height < 0 ||
        static_cast<UINT>(rect.X) + static_cast<UINT>(rect.Width) > width_ ||
        static_cast<UINT>(rect.Y) + static_cast<UINT>(rect.Height) > height_)
        return E_INVALIDARG;
    if (rect.Width == 0 || rect.Height == 0) return S_OK;
    const std::uint64_t rowBytes = std::uint64_t{kBytesPerPixel} * static_cast<UINT>(rect.Width);
    if (cbStride < rowBytes) return E_INVALIDARG;
    // The last row needs only its pixels, not a whole stride.
    const std::uint64_t needed = std::uint64_t{cbStride} * static_cast<UINT>(rect.Height - 1) + rowBytes;
    if (cbBufferSize < needed) return WINCODEC_ERR_INSUFFICIENTBUFFER;
    const std::size_t sourceStride = std::size_t{kBytesPerPixel} * width_;
    const std::uint8_t* source = pixels_.get() + static_cast<std::size_t>(rect.Y) * sourceStride +
                                 std::size_t{kBytesPerPixel} * static_cast<UINT>(rect.X);
    for (INT row = 0; row < rect.Height; ++row)
        std::memcpy(pbBuffer + std::size_t{cbStride} * static_cast<UINT>(row),
                    source + sourceStride * static_cast<UINT>(row), rowBytes);
    return S_OK;
}

} // namespace host::imaging
