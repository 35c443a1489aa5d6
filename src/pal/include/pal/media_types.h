// The system's table of media types by file extension (/etc/mime.types), for
// a platform without file types in its registry. Not part of the Windows
// build: there the registry's HKEY_CLASSES_ROOT\.ext "Content Type" answers.
#pragma once

#include "pal/wide_string.h"

#include <optional>

namespace pal {

// The media type of an extension given with its dot (".jpg"), compared without
// regard to ASCII case. The table is read once, on the first call; none when
// it is missing or does not name the extension.
std::optional<WideString> MediaTypeOfExtension(WideView extension);

} // namespace pal
