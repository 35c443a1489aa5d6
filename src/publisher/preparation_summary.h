// One sentence on how JPEG pictures will be prepared, for the display state
// and the log of a run: "Resample, send copyright, GPS data, downscale for
// 24 cm print".
#pragma once

#include "pal/wide_string.h"
#include "settings/image_format_settings.h"

#include <string>

namespace orvana {

pal::WideString PreparationSummary(const ImageFormatSettings& jpeg);

} // namespace orvana
