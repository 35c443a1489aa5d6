#include "percent_encode.h"

#include "pal/utf.h"

#include <string>

namespace orvana {

pal::WideString PercentEncode(pal::WideView text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string bytes = pal::ToUtf8(text);
    pal::WideString encoded;
    encoded.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) {
            encoded += static_cast<WCHAR>(byte);
        } else {
            encoded += W('%');
            encoded += static_cast<WCHAR>(kHex[byte >> 4]);
            encoded += static_cast<WCHAR>(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

} // namespace orvana
