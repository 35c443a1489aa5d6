// The re-encode of one picture: its source (the JPEG's own frame, or the
// host's rendering), the encoder's settings, the metadata, and the one silent
// retry without the source's metadata blocks.
#pragma once

#include "contract/host_interfaces.h"
#include "imaging/metadata_selection.h"
#include "pal/com_ptr.h"

#include <wincodec.h>
#include <wincodecsdk.h>

namespace orvana {

struct EncodingRequest {
    IWICImagingFactory* factory = nullptr;
    IHostImaging* imaging = nullptr;
    LPCWSTR sourcePath = nullptr;
    bool keepPixels = false; // pixels intact; otherwise resample
    bool minimize = false;
    MetadataSwitches switches;
    LONG longEdge = 0;
    double printDpi = 0.0;
};

// The finished JPEG in a memory stream, positioned at its start. Throws
// pal::HResultError with the failing step's code.
pal::ComPtr<IStream> EncodePicture(const EncodingRequest& request);

} // namespace orvana
