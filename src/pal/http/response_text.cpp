#include "pal/http/response_text.h"

#include "pal/http/header_text.h"
#include "pal/utf.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <optional>

namespace pal::http {

namespace {

struct IconvCloser {
    void operator()(void* cd) const noexcept { iconv_close(static_cast<iconv_t>(cd)); }
};
using Iconv = std::unique_ptr<void, IconvCloser>;

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::u16string FromUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    if (bytes.size() % 2 != 0) text.push_back(u'\uFFFD');
    return text;
}

// Null when the C library does not know the charset.
std::optional<std::u16string> Convert(std::string_view bytes, const std::string& charset)
{
    const iconv_t raw = iconv_open("UTF-16LE", charset.c_str());
    if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    const Iconv cd(raw);

    std::string utf16;
    char buffer[4096];
    auto* in = const_cast<char*>(bytes.data()); // iconv does not write through it
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &out, &outLeft);
        utf16.append(buffer, out);
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or truncated sequence: replace one byte and go on.
            utf16.append("\xFD\xFF", 2);
            ++in;
            --inLeft;
            iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return FromUtf16(utf16, false);
}

} // namespace

std::string CharsetOf(std::string_view contentType)
{
    std::size_t start = contentType.find(';');
    while (start != std::string_view::npos) {
        const std::size_t end = contentType.find(';', start + 1);
        const std::string_view parameter =
            contentType.substr(start + 1, end == std::string_view::npos ? end : end - start - 1);
        const auto equals = parameter.find('=');
        if (equals != std::string_view::npos && Lower(TrimHeaderText(parameter.substr(0, equals))) == "charset") {
            std::string_view value = TrimHeaderText(parameter.substr(equals + 1));
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            return Lower(value);
        }
        start = end;
    }
    return {};
}

std::u16string DecodeResponseText(std::string_view body, std::string_view contentType)
{
    if (body.starts_with("\xEF\xBB\xBF")) return ToUtf16(body.substr(3));
    if (body.starts_with("\xFF\xFE")) return FromUtf16(body.substr(2), false);
    if (body.starts_with("\xFE\xFF")) return FromUtf16(body.substr(2), true);

    const std::string charset = CharsetOf(contentType);
    if (charset.empty() || charset == "utf-8" || charset == "utf8") return ToUtf16(body);
    if (charset == "utf-16" || charset == "utf-16le") return FromUtf16(body, false);
    if (charset == "utf-16be") return FromUtf16(body, true);
    if (auto converted = Convert(body, charset)) return std::move(*converted);
    return ToUtf16(body);
}

} // namespace pal::http
