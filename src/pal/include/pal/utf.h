// UTF-8 <-> UTF-16 conversion. Ill-formed input becomes U+FFFD, never an error.
#pragma once

#include "pal/wide_string.h"

#include <string>
#include <string_view>

namespace pal {

std::string ToUtf8(pal::WideView text);
// For a caller that keeps the bytes in memory of its own (a secret's, wiped
// later): the size of text in UTF-8, and the encoding into that many bytes.
std::size_t Utf8Size(pal::WideView text) noexcept;
void EncodeUtf8(pal::WideView text, char* out) noexcept;
pal::WideString ToUtf16(std::string_view text);

// Length of a zero-terminated wide string (null counts as empty).
std::size_t WideLength(const WCHAR* text) noexcept;

} // namespace pal
