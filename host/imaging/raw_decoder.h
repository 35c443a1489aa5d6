// Camera raw files developed by LibRaw: camera white balance, sRGB, 8 bits.
#pragma once

#include "host/imaging/vips_support.h"

#include <filesystem>
#include <libraw/libraw_types.h>
#include <memory>

namespace host::imaging {

struct ProcessedImageDeleter {
    void operator()(libraw_processed_image_t* image) const noexcept;
};

// The developed picture, and the vips image that reads its pixels in place:
// the pixels must outlive every image made from it.
struct DevelopedRaw {
    std::unique_ptr<libraw_processed_image_t, ProcessedImageDeleter> pixels;
    VipsImagePtr image;
};

// upright applies the camera's flip. A nonzero longEdge lets LibRaw develop
// at half size when that still leaves the longer side at least longEdge.
// Throws WINCODEC_ERR_BADIMAGE for a file LibRaw cannot develop.
DevelopedRaw DevelopRaw(const std::filesystem::path& path, bool upright, unsigned longEdge);

} // namespace host::imaging
