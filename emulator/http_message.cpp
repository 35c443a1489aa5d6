#include "emulator/http_message.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace emulator {
namespace {

std::string_view TrimOws(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsTokenChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string_view> FindHeader(const HeaderList& headers, std::string_view name)
{
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoreCase(key, name)) return std::string_view(value);
    }
    return std::nullopt;
}

std::optional<HttpHead> ParseHead(std::string_view head)
{
    HttpHead out;
    std::size_t line_end = head.find("\r\n");
    std::string_view line = head.substr(0, line_end);
    const std::size_t first_space = line.find(' ');
    const std::size_t last_space = line.rfind(' ');
    if (first_space == std::string_view::npos || first_space == last_space) return std::nullopt;
    out.method = std::string(line.substr(0, first_space));
    out.target = std::string(line.substr(first_space + 1, last_space - first_space - 1));
    out.version = std::string(line.substr(last_space + 1));
    if (out.method.empty() || !std::all_of(out.method.begin(), out.method.end(), IsTokenChar)) return std::nullopt;
    if (out.target.empty() || out.target.find(' ') != std::string::npos) return std::nullopt;
    if (out.version != "HTTP/1.1" && out.version != "HTTP/1.0") return std::nullopt;

    while (line_end != std::string_view::npos) {
        const std::size_t start = line_end + 2;
        line_end = head.find("\r\n", start);
        line = head.substr(start, line_end == std::string_view::npos ? std::string_view::npos : line_end - start);
        if (line.empty()) continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) return std::nullopt;
        const std::string_view name = line.substr(0, colon);
        if (!std::all_of(name.begin(), name.end(), IsTokenChar)) return std::nullopt;
        out.headers.emplace_back(std::string(name), std::string(TrimOws(line.substr(colon + 1))));
    }
    return out;
}

std::optional<RequestTarget> SplitTarget(std::string_view target)
{
    RequestTarget out;
    std::string_view rest = target;
    if (!rest.empty() && rest.front() != '/') {
        const std::size_t scheme_end = rest.find("://");
        if (scheme_end == std::string_view::npos || scheme_end == 0) return std::nullopt;
        out.absolute = true;
        out.scheme = ToLower(rest.substr(0, scheme_end));
        rest.remove_prefix(scheme_end + 3);
        const std::size_t authority_end = rest.find_first_of("/?");
        std::string_view authority = rest.substr(0, authority_end);
        rest = authority_end == std::string_view::npos ? std::string_view("/") : rest.substr(authority_end);
        if (authority.find('@') != std::string_view::npos) return std::nullopt;
        const std::size_t colon = authority.rfind(':');
        if (colon != std::string_view::npos) {
            const std::string_view port_text = authority.substr(colon + 1);
            auto [end, error] = std::from_chars(port_text.data(), port_text.data() + port_text.size(), out.port);
            if (error != std::errc() || end != port_text.data() + port_text.size() || out.port <= 0 ||
                out.port > 65535) {
                return std::nullopt;
            }
            authority = authority.substr(0, colon);
        }
        if (authority.empty()) return std::nullopt;
        out.host = ToLower(authority);
        if (!rest.empty() && rest.front() == '?') out.path = "/";
    }
    const std::size_t question = rest.find('?');
    out.path += std::string(rest.substr(0, question));
    if (question != std::string_view::npos) out.query = std::string(rest.substr(question + 1));
    return out;
}

std::string PercentDecode(std::string_view text, bool plus_is_space)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else if (c == '+' && plus_is_space) {
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query)
{
    std::vector<std::pair<std::string, std::string>> out;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t equals = pair.find('=');
        out.emplace_back(PercentDecode(pair.substr(0, equals), true),
                         equals == std::string_view::npos ? std::string()
                                                          : PercentDecode(pair.substr(equals + 1), true));
    }
    return out;
}

std::string ReasonPhrase(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Unknown";
    }
}

std::string SerializeResponse(const HttpResponse& response, bool keep_alive)
{
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n";
    if (!response.content_type.empty()) out += "Content-Type: " + response.content_type + "\r\n";
    for (const auto& [name, value] : response.extra_headers)
        out += name + ": " + value + "\r\n";
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    out += keep_alive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    out += "\r\n";
    out += response.body;
    return out;
}

} // namespace emulator
