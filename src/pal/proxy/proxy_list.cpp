#include "pal/proxy/proxy_list.h"

#include <vector>

namespace pal {

namespace {

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= 9 && c <= 13);
}

std::vector<std::u16string_view> SplitList(std::u16string_view list, std::u16string_view separators)
{
    std::vector<std::u16string_view> items;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || separators.find(list[i]) != std::u16string_view::npos || IsSpace(list[i])) {
            if (i > start) items.push_back(list.substr(start, i - start));
            start = i + 1;
        }
    }
    return items;
}

// "host" -> "host:80"; "[::1]" -> "[::1]:80"; ports already given stay.
std::u16string WithPort(std::u16string_view hostPort)
{
    const auto close = hostPort.rfind(u']');
    const auto colon = hostPort.rfind(u':');
    const bool hasPort = colon != std::u16string_view::npos && (close == std::u16string_view::npos || colon > close);
    std::u16string result(hostPort);
    if (!hasPort) result += u":80";
    return result;
}

std::u16string Decimal(unsigned value)
{
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

// "*" matches any run of characters, everything else itself.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view text)
{
    std::size_t p = 0, t = 0, starP = std::u16string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool PatternMatches(std::u16string_view pattern, const UrlParts& url)
{
    if (pattern == u"*") return true;
    if (pattern == u"<local>")
        return url.host.find(u'.') == std::u16string::npos && url.host.find(u':') == std::u16string::npos;

    if (const auto separator = pattern.find(u"://"); separator != std::u16string_view::npos) {
        if (pattern.substr(0, separator) != url.scheme) return false;
        pattern.remove_prefix(separator + 3);
    }
    // A port suffix, unless the colon belongs to a bare IPv6 address.
    const auto close = pattern.rfind(u']');
    const auto colon = pattern.rfind(u':');
    const bool hasPort = colon != std::u16string_view::npos &&
                         (close != std::u16string_view::npos ? colon > close : pattern.find(u':') == colon);
    if (hasPort) {
        if (pattern.substr(colon + 1) != Decimal(url.port)) return false;
        pattern = pattern.substr(0, colon);
    }
    if (pattern.starts_with(u'[') && pattern.ends_with(u']')) pattern = pattern.substr(1, pattern.size() - 2);
    if (pattern.empty()) return false;

    if (pattern.find(u'*') != std::u16string_view::npos) return WildcardMatch(pattern, url.host);
    if (pattern.starts_with(u'.')) pattern.remove_prefix(1);
    const std::u16string_view host = url.host;
    if (host == pattern) return true;
    return host.size() > pattern.size() && host.ends_with(pattern) && host[host.size() - pattern.size() - 1] == u'.';
}

} // namespace

std::u16string SelectProxy(std::u16string_view proxyList, std::u16string_view scheme)
{
    for (std::u16string_view entry : SplitList(proxyList, u";")) {
        if (const auto equals = entry.find(u'='); equals != std::u16string_view::npos) {
            if (AsciiLower(entry.substr(0, equals)) != scheme) continue;
            entry.remove_prefix(equals + 1);
        }
        if (const auto separator = entry.find(u"://"); separator != std::u16string_view::npos) {
            entry.remove_prefix(separator + 3);
        }
        entry = entry.substr(0, entry.find(u'/'));
        if (!entry.empty()) return WithPort(entry);
    }
    return {};
}

bool IsBypassed(std::u16string_view bypassList, const UrlParts& url)
{
    for (std::u16string_view pattern : SplitList(bypassList, u";,")) {
        if (PatternMatches(AsciiLower(pattern), url)) return true;
    }
    return false;
}

std::u16string ResolveProxy(std::u16string_view proxyList, std::u16string_view bypassList, std::u16string_view url)
{
    const auto parts = SplitUrl(url);
    if (!parts || IsBypassed(bypassList, *parts)) return {};
    return SelectProxy(proxyList, parts->scheme);
}

} // namespace pal
