// RenderImage's pixel work: a picture decoded by the decoder its family
// names, turned upright and into sRGB as asked, scaled down with shrink-on-load
// where the format has it, and handed out as a 24bppBGR bitmap.
#pragma once

#include "host/imaging/picture_family.h"
#include "pal/com_ptr.h"

#include <filesystem>
#include <wincodec.h>

namespace host::imaging {

// flags are RenderImage's (RENDER_ROTATE_BY_ORIENTATION, RENDER_CONVERT_TO_SRGB);
// longEdge 0 keeps the picture's size, and a picture is never enlarged.
pal::ComPtr<IWICBitmapSource> RenderPicture(const std::filesystem::path& path, PictureFamily family,
                                            unsigned longEdge, ULONG flags);

} // namespace host::imaging
