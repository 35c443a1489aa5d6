// The per-user settings key of the plug-in: the preparation settings of the
// two source formats (and, under "Cache", the category list). Reads and
// writes never report failures: what cannot be read keeps its value, what
// cannot be written is lost.
#pragma once

#include "pal/wide_string.h"
#include "settings/image_format_settings.h"

namespace orvana {

// Under HKEY_CURRENT_USER; the last component is the publisher's class id.
inline constexpr WCHAR kSettingsKeyPath[] =
    W("SOFTWARE\\Brindle\\Orvana\\Publishing\\Plugins\\{6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978}");

enum class SourceFormat { Jpeg, RawOrTiff };

// Fills both records from the key. Without the key both keep what they held;
// a missing or unreadable value keeps its field. Switches read as 0 or 1, a
// JPEG mode above 2 as 2; the size text is made canonical and the long edge
// and resolution derived from it.
void LoadPublisherSettings(ImageFormatSettings& jpeg, ImageFormatSettings& rawOrTiff);

// Writes one format's values (the JPEG mode only for JPEG) with the size text
// in canonical form. The key is created when it is missing, so a first save
// is not lost.
void SavePublisherSettings(SourceFormat format, const ImageFormatSettings& settings);

} // namespace orvana
