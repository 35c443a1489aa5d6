#include "host/imaging/exiv2_support.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace host::imaging {

namespace {

bool IsUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        i += length;
    }
    return true;
}

} // namespace

void EnsureExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The XMP toolkit's start is not thread-safe; everything after it is.
        Exiv2::XmpParser::initialize();
        // A damaged file's metadata is skipped; exiv2's complaints about it would only clutter standard error.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

std::string AsUtf8(std::string_view text)
{
    if (IsUtf8(text)) return std::string(text);
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

} // namespace host::imaging
