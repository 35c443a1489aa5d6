// The JPEG encoder's one frame and what it shares with its encoder: the
// target stream, and whether the frame was made and committed.
#pragma once

#include "pal/com_ptr.h"
#include "pal/wic/imaging_interfaces.h"

#include <memory>
#include <mutex>

namespace pal::wic {

struct EncoderTarget {
    std::mutex mutex;
    ComPtr<IStream> stream;
    bool frameCommitted = false;
};

ComPtr<IWICBitmapFrameEncode> CreateJpegFrameEncode(std::shared_ptr<EncoderTarget> target);

} // namespace pal::wic
