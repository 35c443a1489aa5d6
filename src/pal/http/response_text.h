// A reply body as text: a byte-order mark decides first, then the charset
// parameter of Content-Type, else UTF-8. Undecodable bytes become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace pal::http {

std::u16string DecodeResponseText(std::string_view body, std::string_view contentType);

// The charset parameter of a Content-Type value, lower case; empty when absent.
std::string CharsetOf(std::string_view contentType);

} // namespace pal::http
