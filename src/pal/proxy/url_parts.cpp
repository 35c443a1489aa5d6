#include "pal/proxy/url_parts.h"

namespace pal {

std::u16string AsciiLower(std::u16string_view text)
{
    std::u16string lower(text);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return lower;
}

namespace {

std::optional<std::uint16_t> ParsePort(std::u16string_view digits)
{
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::uint16_t DefaultPort(std::u16string_view scheme)
{
    if (scheme == u"http") return 80;
    if (scheme == u"https") return 443;
    return 0;
}

} // namespace

std::optional<UrlParts> SplitUrl(std::u16string_view url)
{
    const auto separator = url.find(u"://");
    if (separator == std::u16string_view::npos || separator == 0) return std::nullopt;
    UrlParts parts;
    parts.scheme = AsciiLower(url.substr(0, separator));
    for (char16_t c : parts.scheme) {
        const bool allowed =
            (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!allowed) return std::nullopt;
    }

    std::u16string_view authority = url.substr(separator + 3);
    authority = authority.substr(0, authority.find_first_of(u"/?#"));
    if (const auto at = authority.rfind(u'@'); at != std::u16string_view::npos) authority.remove_prefix(at + 1);

    std::u16string_view host = authority;
    std::u16string_view port;
    if (authority.starts_with(u'[')) {
        const auto close = authority.find(u']');
        if (close == std::u16string_view::npos) return std::nullopt;
        host = authority.substr(1, close - 1);
        std::u16string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != u':') return std::nullopt;
            port = rest.substr(1);
        }
    } else if (const auto colon = authority.rfind(u':'); colon != std::u16string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty()) return std::nullopt;
    parts.host = AsciiLower(host);
    if (port.empty()) {
        parts.port = DefaultPort(parts.scheme);
    } else if (const auto number = ParsePort(port)) {
        parts.port = *number;
    } else {
        return std::nullopt;
    }
    return parts;
}

} // namespace pal
