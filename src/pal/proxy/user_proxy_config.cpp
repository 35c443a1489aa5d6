#include "pal/proxy/user_proxy_config.h"

#include "pal/proxy/proxy_list.h"
#include "pal/utf.h"

#include <cstdlib>
#include <string_view>

namespace pal {

namespace {

std::string_view Variable(const char* lower, const char* upper)
{
    for (const char* name : {lower, upper}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return {};
}

// "http://user:pw@host:port/" -> "host:port". Only plain HTTP proxies can be
// written in the configuration's syntax; a SOCKS or other proxy is left out.
std::u16string ProxyAddress(std::string_view value)
{
    if (const auto separator = value.find("://"); separator != std::string_view::npos) {
        const std::u16string scheme = AsciiLower(ToUtf16(value.substr(0, separator)));
        if (scheme != u"http" && scheme != u"https") return {};
        value.remove_prefix(separator + 3);
    }
    value = value.substr(0, value.find('/'));
    if (const auto at = value.rfind('@'); at != std::string_view::npos) value.remove_prefix(at + 1);
    return ToUtf16(value);
}

std::u16string BypassList(std::string_view value)
{
    std::u16string list;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        const bool separator = i == value.size() || value[i] == ',' || value[i] == ';' || value[i] == ' ' ||
                               (value[i] >= 9 && value[i] <= 13);
        if (!separator) continue;
        if (i > start) {
            if (!list.empty()) list += u';';
            list += ToUtf16(value.substr(start, i - start));
        }
        start = i + 1;
    }
    return list;
}

} // namespace

std::optional<UserProxyConfig> ReadUserProxyConfig()
{
    const std::string_view httpValue = Variable("http_proxy", "HTTP_PROXY");
    const std::string_view httpsValue = Variable("https_proxy", "HTTPS_PROXY");
    const std::string_view noProxyValue = Variable("no_proxy", "NO_PROXY");
    if (httpValue.empty() && httpsValue.empty() && noProxyValue.empty()) return std::nullopt;

    UserProxyConfig config;
    const std::u16string http = ProxyAddress(httpValue);
    const std::u16string https = ProxyAddress(httpsValue);
    if (!http.empty() && http == https) {
        config.proxy = http;
    } else if (!http.empty() || !https.empty()) {
        std::u16string list;
        if (!http.empty()) list += u"http=" + http;
        if (!https.empty()) list += (list.empty() ? u"https=" : u";https=") + https;
        config.proxy = std::move(list);
    }
    if (std::u16string bypass = BypassList(noProxyValue); !bypass.empty()) config.bypass = std::move(bypass);
    return config;
}

std::u16string ProxyForUrl(std::u16string_view url)
{
    const auto config = ReadUserProxyConfig();
    if (!config || !config->proxy) return {};
    return ResolveProxy(*config->proxy, config->bypass.value_or(u""), url);
}

} // namespace pal
