#pragma once

#include "emulator/text_util.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The HTTP/1.1 subset the emulator speaks, kept byte-faithful so the tests can
// see exactly what a client sent.
namespace emulator {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// First header of that name, names compared without regard to case.
std::optional<std::string_view> FindHeader(const HeaderList& headers, std::string_view name);

struct HttpRequest {
    std::string method;
    std::string target; // as it stood in the request line
    std::string version;
    HeaderList headers; // in the order and case received
    std::string body;
};

struct HttpHead {
    std::string method;
    std::string target;
    std::string version;
    HeaderList headers;
};

// Parses a request head (request line and header lines, without the blank
// line that ends it). nullopt when it is not well-formed HTTP/1.x.
std::optional<HttpHead> ParseHead(std::string_view head);

// A request target split into its parts. Origin form leaves host empty; the
// absolute form of a proxy request fills scheme, host (lower case) and port.
struct RequestTarget {
    bool absolute = false;
    std::string scheme;
    std::string host;
    int port = 0;
    std::string path; // still percent-encoded
    std::string query;
};
std::optional<RequestTarget> SplitTarget(std::string_view target);

std::string PercentDecode(std::string_view text, bool plus_is_space);
// Query pairs in order, both sides decoded.
std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query);

struct HttpResponse {
    int status = 200;
    std::string content_type;
    std::string body;
    HeaderList extra_headers;
    bool drop_connection = false; // close without answering
};

std::string ReasonPhrase(int status);
std::string SerializeResponse(const HttpResponse& response, bool keep_alive);

} // namespace emulator
