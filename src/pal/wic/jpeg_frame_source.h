// The layer's own way into a decoded JPEG frame: the encoder asks a source
// for it to carry the compressed picture and the metadata segments over
// unchanged, or its decoded pixels without a copy. Nothing outside the
// layer knows this interface.
#pragma once

#include "pal/interface_id.h"
#include "pal/wic/jpeg_file.h"
#include "pal/wic/jpeg_pixels.h"

#include <unknwn.h>

struct IJpegFrameSource : IUnknown {
    virtual std::shared_ptr<const pal::wic::JpegFile> SourceFile() const noexcept = 0;
    // The frame's decoded pixels, decoded now unless they were before: an
    // encoder reads them in place rather than through a copy.
    virtual HRESULT DecodedPixels(std::shared_ptr<const pal::wic::BgrPixels>* pixels) noexcept = 0;

  protected:
    ~IJpegFrameSource() = default;
};

PAL_DECLARE_IID(IJpegFrameSource, "5B0B62D4-94E1-4C39-9F0E-6E2C1D7A3B85");
