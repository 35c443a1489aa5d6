// WinHttpCrackUrl: an absolute http or https URL split into its components,
// copied into the caller's buffers or pointed at within the URL.
#include "pal/http/winhttp.h"
#include "pal/utf.h"

#include <cstring>
#include <string_view>

namespace {

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

struct Parts {
    std::u16string_view scheme, user, password, host, path, extra;
    INTERNET_SCHEME nScheme = 0;
    INTERNET_PORT port = 0;
};

bool AllDigits(std::u16string_view text)
{
    for (const char16_t c : text)
        if (c < u'0' || c > u'9') return false;
    return !text.empty();
}

// 0 or the error for text that is not a URL this layer can fetch.
DWORD Split(std::u16string_view url, Parts& parts)
{
    const auto colon = url.find(u"://");
    if (colon == std::u16string_view::npos || colon == 0) return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    parts.scheme = url.substr(0, colon);
    std::u16string folded;
    for (const char16_t c : parts.scheme)
        folded += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (folded == u"http") {
        parts.nScheme = INTERNET_SCHEME_HTTP;
        parts.port = INTERNET_DEFAULT_HTTP_PORT;
    } else if (folded == u"https") {
        parts.nScheme = INTERNET_SCHEME_HTTPS;
        parts.port = INTERNET_DEFAULT_HTTPS_PORT;
    } else {
        return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    }
    std::u16string_view rest = url.substr(colon + 3);
    const auto pathStart = rest.find_first_of(u"/?#");
    std::u16string_view authority = rest.substr(0, pathStart);
    rest = pathStart == std::u16string_view::npos ? std::u16string_view() : rest.substr(pathStart);

    if (const auto at = authority.rfind(u'@'); at != std::u16string_view::npos) {
        const std::u16string_view credentials = authority.substr(0, at);
        const auto separator = credentials.find(u':');
        parts.user = credentials.substr(0, separator);
        if (separator != std::u16string_view::npos) parts.password = credentials.substr(separator + 1);
        authority.remove_prefix(at + 1);
    }
    std::u16string_view portText;
    if (!authority.empty() && authority.front() == u'[') {
        const auto close = authority.find(u']');
        if (close == std::u16string_view::npos) return ERROR_WINHTTP_INVALID_URL;
        parts.host = authority.substr(0, close + 1);
        authority.remove_prefix(close + 1);
        if (!authority.empty()) {
            if (authority.front() != u':') return ERROR_WINHTTP_INVALID_URL;
            portText = authority.substr(1);
        }
    } else {
        const auto separator = authority.find(u':');
        parts.host = authority.substr(0, separator);
        if (separator != std::u16string_view::npos) portText = authority.substr(separator + 1);
    }
    if (parts.host.empty()) return ERROR_WINHTTP_INVALID_URL;
    if (!portText.empty()) {
        if (!AllDigits(portText) || portText.size() > 5) return ERROR_WINHTTP_INVALID_URL;
        unsigned long port = 0;
        for (const char16_t c : portText)
            port = port * 10 + static_cast<unsigned long>(c - u'0');
        if (port == 0 || port > 65535) return ERROR_WINHTTP_INVALID_URL;
        parts.port = static_cast<INTERNET_PORT>(port);
    }
    const auto extraStart = rest.find_first_of(u"?#");
    parts.path = rest.substr(0, extraStart);
    if (extraStart != std::u16string_view::npos) parts.extra = rest.substr(extraStart);
    return 0;
}

// Copies into the caller's buffer (length in: its size in characters), or
// points into the URL (pointer null, length non-zero), or skips the component.
void Hand(std::u16string_view value, LPWSTR& pointer, DWORD& length, LPCWSTR url, bool& tooSmall)
{
    if (pointer) {
        if (value.size() + 1 > length) {
            length = static_cast<DWORD>(value.size() + 1);
            tooSmall = true;
            return;
        }
        std::memcpy(pointer, value.data(), value.size() * sizeof(WCHAR));
        pointer[value.size()] = 0;
        length = static_cast<DWORD>(value.size());
    } else if (length) {
        pointer = const_cast<LPWSTR>(value.data() ? value.data() : url);
        length = static_cast<DWORD>(value.size());
    }
}

} // namespace

STDAPI_(BOOL) WinHttpCrackUrl(LPCWSTR pwszUrl, DWORD dwUrlLength, DWORD dwFlags, LPURL_COMPONENTS lpUrlComponents)
{
    if (!pwszUrl || !lpUrlComponents || lpUrlComponents->dwStructSize != sizeof(URL_COMPONENTS))
        return Fail(ERROR_INVALID_PARAMETER);
    // Escaping and decoding are not needed by the component.
    if (dwFlags != 0) return Fail(ERROR_INVALID_PARAMETER);
    const std::u16string_view url(pwszUrl, dwUrlLength ? dwUrlLength : pal::WideLength(pwszUrl));
    Parts parts;
    if (const DWORD error = Split(url, parts)) return Fail(error);

    URL_COMPONENTS& out = *lpUrlComponents;
    // Without a place for the extra information, the path carries it.
    const bool extraWanted = out.lpszExtraInfo || out.dwExtraInfoLength;
    const std::u16string_view path =
        extraWanted || parts.extra.empty()
            ? parts.path
            : std::u16string_view(parts.path.empty() ? parts.extra.data() : parts.path.data(),
                                  parts.path.size() + parts.extra.size());
    bool tooSmall = false;
    Hand(parts.scheme, out.lpszScheme, out.dwSchemeLength, pwszUrl, tooSmall);
    Hand(parts.host, out.lpszHostName, out.dwHostNameLength, pwszUrl, tooSmall);
    Hand(parts.user, out.lpszUserName, out.dwUserNameLength, pwszUrl, tooSmall);
    Hand(parts.password, out.lpszPassword, out.dwPasswordLength, pwszUrl, tooSmall);
    Hand(path, out.lpszUrlPath, out.dwUrlPathLength, pwszUrl, tooSmall);
    Hand(parts.extra, out.lpszExtraInfo, out.dwExtraInfoLength, pwszUrl, tooSmall);
    out.nScheme = parts.nScheme;
    out.nPort = parts.port;
    if (tooSmall) return Fail(ERROR_INSUFFICIENT_BUFFER);
    return TRUE;
}
