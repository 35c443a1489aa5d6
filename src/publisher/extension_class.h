// How a run treats a file by its extension: JPEG files are prepared by the
// JPEG settings, GIF and PNG files go up as they are, anything else is a RAW
// or TIFF file, converted by the RAW/TIFF settings.
#pragma once

#include "pal/wide_string.h"

#include <vector>

namespace orvana {

enum class ExtensionClass { Jpeg, GifOrPng, RawOrTiff };

ExtensionClass ClassOfExtension(pal::WideView extension);
// "CR2;JPG" as its pieces; empty pieces are left out.
std::vector<pal::WideString> SplitExtensionList(pal::WideView list);

} // namespace orvana
