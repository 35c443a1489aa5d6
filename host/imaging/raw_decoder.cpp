#include "host/imaging/raw_decoder.h"

#include "pal/hresult_error.h"

#include <algorithm>
#include <libraw/libraw.h>
#include <wincodec.h>

namespace host::imaging {

namespace {

constexpr int kOutputSrgb = 1;
constexpr int kNoFlip = 0;

void Check(int status)
{
    if (status == LIBRAW_UNSUFFICIENT_MEMORY) throw pal::HResultError(E_OUTOFMEMORY);
    if (status != LIBRAW_SUCCESS) throw pal::HResultError(WINCODEC_ERR_BADIMAGE);
}

} // namespace

void ProcessedImageDeleter::operator()(libraw_processed_image_t* image) const noexcept
{
    LibRaw::dcraw_clear_mem(image);
}

DevelopedRaw DevelopRaw(const std::filesystem::path& path, bool upright, unsigned longEdge)
{
    // LibRaw's object is large (its tables are members); it lives on the heap.
    auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    Check(raw->open_file(path.c_str()));
    libraw_output_params_t& params = raw->imgdata.params;
    params.use_camera_wb = 1;
    params.output_color = kOutputSrgb;
    params.output_bps = 8;
    if (!upright) params.user_flip = kNoFlip;
    // The sRGB tone curve, and no automatic brightening: the file's own exposure is kept.
    params.gamm[0] = 1.0 / 2.4;
    params.gamm[1] = 12.92;
    params.no_auto_bright = 1;
    const unsigned longSide = std::max<unsigned>(raw->imgdata.sizes.width, raw->imgdata.sizes.height);
    if (longEdge != 0 && longSide / 2 >= longEdge) params.half_size = 1;
    Check(raw->unpack());
    Check(raw->dcraw_process());
    int status = LIBRAW_SUCCESS;
    DevelopedRaw developed;
    developed.pixels.reset(raw->dcraw_make_mem_image(&status));
    Check(status);
    libraw_processed_image_t& pixels = *developed.pixels;
    if (pixels.type != LIBRAW_IMAGE_BITMAP || pixels.bits != 8 || (pixels.colors != 3 && pixels.colors != 1))
        throw pal::HResultError(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
    developed.image.reset(vips_image_new_from_memory(pixels.data, pixels.data_size, pixels.width, pixels.height,
                                                     pixels.colors, VIPS_FORMAT_UCHAR));
    if (!developed.image) throw pal::HResultError(E_OUTOFMEMORY);
    return developed;
}

} // namespace host::imaging
