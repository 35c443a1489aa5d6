// Feeds arbitrary texts (read as UTF-8) to the URL splitter that proxy
// selection relies on. Whatever it accepts must have a valid lower-case
// scheme, a non-empty lower-case host and a port that fits the scheme, must
// split again to the same parts when written back as a plain URL, and must
// not depend on the letter case of the input.
#include "pal/proxy/url_parts.h"
#include "pal/utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool HasAsciiUpper(std::u16string_view text)
{
    for (char16_t c : text)
        if (c >= u'A' && c <= u'Z') return true;
    return false;
}

std::u16string AsciiUpper(std::u16string_view text)
{
    std::u16string upper(text);
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return upper;
}

bool Same(const pal::UrlParts& a, const pal::UrlParts& b)
{
    return a.scheme == b.scheme && a.host == b.host && a.port == b.port;
}

// The parts as "scheme://host[:port]/". A host from brackets keeps them; a
// host with a colon but no port gets an empty port, as "ftp://a:b:" has.
std::u16string WriteBack(const pal::UrlParts& parts)
{
    std::u16string url = parts.scheme + u"://";
    if (parts.host.starts_with(u'[')) {
        url += u"[" + parts.host + u"]";
    } else {
        url += parts.host;
        if (parts.port == 0 && parts.host.find(u':') != std::u16string::npos) url += u":";
    }
    if (parts.port != 0) url += u":" + pal::ToUtf16(std::to_string(parts.port));
    return url + u"/";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string url = pal::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto parts = pal::SplitUrl(url);

    const auto shouted = pal::SplitUrl(AsciiUpper(url));
    if (parts.has_value() != shouted.has_value() || (parts && !Same(*parts, *shouted))) std::abort();
    if (!parts) return 0;

    if (parts->scheme.empty() || HasAsciiUpper(parts->scheme) || parts->host.empty() || HasAsciiUpper(parts->host))
        std::abort();
    for (char16_t c : parts->scheme) {
        const bool allowed =
            (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!allowed) std::abort();
    }
    if (parts->host.find_first_of(u"/?#@") != std::u16string::npos) std::abort();
    const bool web = parts->scheme == u"http" || parts->scheme == u"https";
    if (web && parts->port == 0) std::abort();

    const auto again = pal::SplitUrl(WriteBack(*parts));
    if (!again || !Same(*parts, *again)) std::abort();
    return 0;
}
