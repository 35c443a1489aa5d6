// How a picture is turned into the bytes that are uploaded.
#pragma once

#include <windows.h>

namespace orvana {

enum PreparationMode : UINT {
    PM_FILE_INTACT = 0,   // the file as it is on disk
    PM_PIXELS_INTACT = 1, // the JPEG's compressed picture kept, the metadata chosen
    PM_RESAMPLE = 2,      // decoded, upright, sRGB, scaled and encoded anew
};

} // namespace orvana
