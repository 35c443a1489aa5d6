// Case-insensitive comparison as registry names and list searches use it:
// Unicode simple case folding (the one-to-one mappings of CaseFolding.txt,
// statuses C and S) applied to each code point. One-to-one folding keeps a
// folded text as long as the original, so "Straße" and "STRASSE" stay
// different, as they are on Windows. Unpaired surrogates fold to themselves.
#pragma once

#include "pal/wide_string.h"

#include <string>
#include <string_view>

namespace pal {

char32_t FoldCase(char32_t codePoint) noexcept;
pal::WideString FoldCase(pal::WideView text);

} // namespace pal
