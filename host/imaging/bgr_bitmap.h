// The pictures RenderImage hands out: 24bppBGR pixels held in memory, with
// the resolution of the file they came from.
#pragma once

#include "pal/object.h"

#include <cstdint>
#include <memory>
#include <wincodec.h>

namespace host::imaging {

// Pixel memory with the function that gives it back (libvips hands out
// g_malloc'ed buffers, which the bitmap keeps rather than copies).
using PixelBuffer = std::unique_ptr<std::uint8_t[], void (*)(std::uint8_t*)>;

class BgrBitmap : public pal::ComObjectRoot, public IWICBitmapSource {
  public:
    using Interfaces = pal::InterfaceList<IWICBitmapSource>;

    // pixels holds height rows of width * 3 bytes, blue first; dpi 0 means the file had none.
    BgrBitmap(UINT width, UINT height, PixelBuffer pixels, double dpiX, double dpiY);

    HRESULT STDMETHODCALLTYPE GetSize(UINT* puiWidth, UINT* puiHeight) override;
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* pPixelFormat) override;
    HRESULT STDMETHODCALLTYPE GetResolution(double* pDpiX, double* pDpiY) override;
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette* pIPalette) override;
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* prc, UINT cbStride, UINT cbBufferSize,
                                         BYTE* pbBuffer) override;

  private:
    UINT width_;
    UINT height_;
    PixelBuffer pixels_;
    double dpiX_;
    double dpiY_;
};

} // namespace host::imaging
