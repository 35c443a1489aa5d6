// Pixels in and out of JPEG through libjpeg-turbo, always as 24-bit BGR
// rows: grayscale and CMYK/YCCK pictures are converted on the way out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pal::wic {

// The whole picture, width * 3 bytes a row. Throws HResultError
// (WINCODEC_ERR_BADIMAGE) when libjpeg cannot decode it or its size is not
// the expected one.
std::vector<std::uint8_t> DecodeJpegToBgr(std::span<const std::uint8_t> file, unsigned width, unsigned height);

struct JpegEncodeSettings {
    int quality = 90;       // libjpeg's 1..100
    int lumaHorizontal = 2; // the luma sampling factors; chroma is sampled 1x1
    int lumaVertical = 2;
};

// A baseline JFIF-less JPEG of the BGR pixels (SOI, tables, frame, scan).
std::vector<std::uint8_t> EncodeBgrToJpeg(const std::uint8_t* pixels, std::size_t stride, unsigned width,
                                          unsigned height, const JpegEncodeSettings& settings);

} // namespace pal::wic
