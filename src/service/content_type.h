// The media type an upload declares for a file, by the file's extension: the
// registry's file types on Windows, the system's media-type table here. The
// caller falls back to "image/jpeg" when there is none.
#pragma once

#include "pal/wide_string.h"

#include <optional>

namespace orvana {

std::optional<pal::WideString> LookupContentType(pal::WideView fileName);

// The extension of a path's last part, with its dot; none without one or when
// it is longer than a registry key name may be (255 characters).
std::optional<pal::WideString> FileExtension(pal::WideView fileName);

// HKEY_CLASSES_ROOT\<extension> "Content Type" (REG_SZ or REG_EXPAND_SZ).
// The Windows source; here it reads the layer's registry, so it can be tested.
std::optional<pal::WideString> RegisteredContentType(const pal::WideString& extension);

} // namespace orvana
