// libjpeg reports errors through a callback that must not return; it jumps
// back to the call's setjmp, and only objects made before it live in the
// frame, so no destructor is skipped. Exceptions are not thrown through
// libjpeg's C frames.
#include "pal/wic/jpeg_pixels.h"

#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>
#include <vector>

namespace pal::wic {

namespace {

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// Warnings (a corrupt byte, a premature end) are not reported: the picture decodes as far as it goes.
void IgnoreMessage(j_common_ptr, int) {}

void InstallErrorJump(ErrorJump& errors)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpBack;
    errors.manager.emit_message = IgnoreMessage;
}

// Adobe's writers store CMYK inverted; the marker says so.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

constexpr unsigned kRowsAtOnce = 16;

} // namespace

RawBytes AllocateRaw(std::size_t size)
{
    RawBytes bytes(static_cast<std::uint8_t*>(std::malloc(size != 0 ? size : 1)));
    if (!bytes) throw std::bad_alloc();
    return bytes;
}

BgrPixels DecodeJpegToBgr(std::span<const std::uint8_t> file, unsigned width, unsigned height)
{
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    BgrPixels result{AllocateRaw(stride * height), stride, width, height};
    std::uint8_t* const pixels = result.data.get();
    std::vector<std::uint8_t> cmyk(static_cast<std::size_t>(width) * 4 * kRowsAtOnce);
    jpeg_decompress_struct info{};
    ErrorJump errors{};
    InstallErrorJump(errors);
    info.err = &errors.manager;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw HResultError(WINCODEC_ERR_BADIMAGE);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    const bool fourComponents = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = fourComponents ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    if (info.output_width != width || info.output_height != height ||
        info.output_components != (fourComponents ? 4 : 3)) {
        jpeg_destroy_decompress(&info);
        throw HResultError(WINCODEC_ERR_BADIMAGE);
    }
    JSAMPROW rows[kRowsAtOnce];
    while (info.output_scanline < height) {
        const unsigned first = info.output_scanline;
        const unsigned want = std::min(kRowsAtOnce, height - first);
        for (unsigned i = 0; i < want; ++i)
            rows[i] =
                fourComponents ? cmyk.data() + static_cast<std::size_t>(i) * width * 4 : pixels + (first + i) * stride;
        const unsigned got = jpeg_read_scanlines(&info, rows, want);
        if (got == 0) break;
        if (fourComponents) {
            for (unsigned i = 0; i < got; ++i)
                CmykRowToBgr(rows[i], pixels + (first + i) * stride, width, info.saw_Adobe_marker);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return result;
}

EncodedJpeg EncodeBgrToJpeg(const std::uint8_t* pixels, std::size_t stride, unsigned width, unsigned height,
                            const JpegEncodeSettings& settings)
{
    std::vector<JSAMPROW> rows(height);
    for (unsigned y = 0; y < height; ++y)
        rows[y] = const_cast<JSAMPROW>(pixels + y * stride);
    jpeg_compress_struct info{};
    ErrorJump errors{};
    InstallErrorJump(errors);
    info.err = &errors.manager;
    // Room for a typical picture from the start, so libjpeg seldom grows and copies it.
    const std::size_t estimate = static_cast<std::size_t>(width) * height / 2 + 65536;
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(estimate));
    if (!buffer) throw std::bad_alloc();
    unsigned long size = static_cast<unsigned long>(estimate);
    // libjpeg leaves the buffer it was given to its owner when it outgrows it.
    RawBytes given(buffer);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        throw HResultError(WINCODEC_ERR_INTERNALERROR);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, settings.quality, TRUE);
    info.comp_info[0].h_samp_factor = settings.lumaHorizontal;
    info.comp_info[0].v_samp_factor = settings.lumaVertical;
    info.write_JFIF_header = FALSE; // the frame writes its own, with its density
    info.optimize_coding = FALSE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < height)
        jpeg_write_scanlines(&info, rows.data() + info.next_scanline, height - info.next_scanline);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (buffer == given.get()) (void)given.release();
    return EncodedJpeg{RawBytes(buffer), size};
}

} // namespace pal::wic
