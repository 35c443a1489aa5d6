// Feeds a Content-Type value (the first line) and a reply body (the rest) to
// the reply decoder. Beyond not crashing: decoding is repeatable (the
// converter's state does not leak between calls), a byte-order mark wins over
// any charset, the text is never longer than the bytes allow, an ASCII body
// under an ASCII-compatible charset decodes to itself, and the charset read
// from a value is lower case and reads back the same when written again.
#include "pal/http/response_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool IsAscii(std::string_view bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool HasBom(std::string_view body)
{
    return body.starts_with("\xEF\xBB\xBF") || body.starts_with("\xFF\xFE") || body.starts_with("\xFE\xFF");
}

bool AsciiCompatible(const std::string& charset)
{
    return charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "us-ascii" ||
           charset == "iso-8859-1" || charset == "windows-1252";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view contentType = input.substr(0, newline);
    const std::string_view body = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const std::string charset = pal::http::CharsetOf(contentType);
    for (char c : charset)
        if (c >= 'A' && c <= 'Z') std::abort();
    const bool plain = charset.find_first_of(";\"") == std::string::npos && !charset.starts_with(' ') &&
                       !charset.starts_with('\t') && !charset.ends_with(' ') && !charset.ends_with('\t');
    if (!charset.empty() && plain && pal::http::CharsetOf("text/xml; charset=" + charset) != charset) std::abort();

    const std::u16string text = pal::http::DecodeResponseText(body, contentType);
    if (pal::http::DecodeResponseText(body, contentType) != text) std::abort();
    // One code unit per byte at most for UTF-8 and the one-byte charsets; a
    // converter may write a surrogate pair or a base and combining mark per byte.
    if (text.size() > 2 * body.size() + 1) std::abort();

    if (HasBom(body)) {
        if (pal::http::DecodeResponseText(body, "text/xml; charset=iso-8859-1") != text) std::abort();
    } else if (IsAscii(body) && AsciiCompatible(charset)) {
        if (text != std::u16string(body.begin(), body.end())) std::abort();
    }
    return 0;
}
