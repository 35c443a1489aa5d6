// How pictures of one source format are prepared: one record for JPEG
// sources, one for RAW and TIFF sources (which have no mode: they are always
// resampled). The long edge and resolution are derived from the size text.
#pragma once

#include "imaging/preparation_mode.h"
#include "pal/wide_string.h"

#include <string>
#include <windows.h>

namespace orvana {

struct ImageFormatSettings {
    UINT Mode = PM_FILE_INTACT; // JPEG record only
    UINT Minimize = 0;
    UINT WriteCopyright = 1;
    UINT WriteEXIF = 1;
    UINT WriteXMP = 1;
    UINT WriteGPS = 1;
    UINT WriteIPTC = 1;
    UINT LongDimension = 0; // pixels, 0 = no scaling
    double Dpi = 0.0;
    pal::WideString SizeText; // canonical; empty until loaded

    friend bool operator==(const ImageFormatSettings&, const ImageFormatSettings&) = default;
};

} // namespace orvana
