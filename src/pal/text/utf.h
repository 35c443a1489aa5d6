// UTF-8 <-> UTF-16 conversion. Ill-formed input becomes U+FFFD, never an error.
#pragma once

#include <string>
#include <string_view>

namespace pal {

std::string ToUtf8(std::u16string_view text);
// For a caller that keeps the bytes in memory of its own (a secret's, wiped
// later): the size of text in UTF-8, and the encoding into that many bytes.
std::size_t Utf8Size(std::u16string_view text) noexcept;
void EncodeUtf8(std::u16string_view text, char* out) noexcept;
std::u16string ToUtf16(std::string_view text);

// Length of a zero-terminated wide string (null counts as empty).
std::size_t WideLength(const char16_t* text) noexcept;

} // namespace pal
