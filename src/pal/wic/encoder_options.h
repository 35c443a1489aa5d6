// The options a JPEG encoder frame is created with, as the property bag
// CreateNewFrame hands out: "ImageQuality" (VT_R4, 0 to 1) and
// "JpegYCrCbSubsampling" (VT_UI1, the WICJpegYCrCbSubsamplingOption values).
// GetPropertyInfo lists both, which is how a caller learns the encoder
// takes chroma subsampling.
#pragma once

#include "pal/com_ptr.h"
#include "pal/wic/imaging_interfaces.h"

namespace pal::wic {

struct JpegEncoderOptions {
    float imageQuality = 0.9f;
    WICJpegYCrCbSubsamplingOption subsampling = WICJpegYCrCbSubsamplingDefault;
};

ComPtr<IPropertyBag2> CreateJpegEncoderOptions();

// The options a bag holds, read through IPropertyBag2::Read: any bag, the
// defaults for what it does not hold.
JpegEncoderOptions ReadJpegEncoderOptions(IPropertyBag2* bag);

} // namespace pal::wic
