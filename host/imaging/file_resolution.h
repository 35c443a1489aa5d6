// The resolution a picture file states, in dots per inch: JPEG's JFIF
// density or else its EXIF resolution, PNG's pHYs chunk, TIFF's resolution
// tags. libvips reports a default for files that state none, so the file is
// read here.
#pragma once

#include "host/imaging/picture_family.h"

#include <filesystem>

namespace host::imaging {

struct Resolution {
    double dpiX = 0;
    double dpiY = 0;
};

// 0, 0 when the file states none (GIF and raw files never do here).
Resolution ReadFileResolution(const std::filesystem::path& path, PictureFamily family);

} // namespace host::imaging
