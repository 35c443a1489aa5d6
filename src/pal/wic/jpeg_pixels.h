// Pixels in and out of JPEG through libjpeg-turbo, always as 24-bit BGR
// rows: grayscale and CMYK/YCCK pictures are converted on the way out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

namespace pal::wic {

// Memory libjpeg or the codecs fill at once: never zeroed first, which for a
// picture of millions of pixels costs as much as a good part of the encode.
struct MallocFree {
    void operator()(void* p) const noexcept { std::free(p); }
};
using RawBytes = std::unique_ptr<std::uint8_t[], MallocFree>;
// Throws std::bad_alloc.
RawBytes AllocateRaw(std::size_t size);

struct BgrPixels {
    RawBytes data;
    std::size_t stride = 0; // width * 3
    unsigned width = 0;
    unsigned height = 0;
};

// The whole picture. Throws HResultError (WINCODEC_ERR_BADIMAGE) when libjpeg
// cannot decode it or its size is not the expected one.
BgrPixels DecodeJpegToBgr(std::span<const std::uint8_t> file, unsigned width, unsigned height);

struct JpegEncodeSettings {
    int quality = 90;       // libjpeg's 1..100
    int lumaHorizontal = 2; // the luma sampling factors; chroma is sampled 1x1
    int lumaVertical = 2;
};

struct EncodedJpeg {
    RawBytes data;
    std::size_t size = 0;
};

// A baseline JFIF-less JPEG of the BGR pixels (SOI, tables, frame, scan).
EncodedJpeg EncodeBgrToJpeg(const std::uint8_t* pixels, std::size_t stride, unsigned width, unsigned height,
                            const JpegEncodeSettings& settings);

} // namespace pal::wic
