// One synchronous HTTP exchange over libcurl: the request exactly as the
// caller built it, through exactly the proxy the caller chose.
#pragma once

#include "../base/types.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pal::http {

struct TransferRequest {
    std::string method;
    std::string url;
    // Sent in this order after the lines libcurl writes itself (Host, Accept, Content-Length).
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<std::string> body;
    std::optional<std::string> user;
    std::optional<std::string> password;
    // "host:port", or empty for a direct connection.
    std::string proxy;
    // Milliseconds; 0 or less means no limit. Name resolution counts against the connect limit.
    int connectTimeout = 0;
    // Longest time without any data moving.
    int stallTimeout = 0;
};

struct TransferResponse {
    long status = 0;
    std::string statusText;
    // "Name: value" lines of the final reply, in the order received.
    std::vector<std::string> headerLines;
    std::string body;
};

// S_OK once a reply came back (any status); E_OUTOFMEMORY; else
// HRESULT_FROM_WIN32 of the ERROR_WINHTTP_* number.
HRESULT PerformTransfer(const TransferRequest& request, TransferResponse& response);

// The value of a header among "Name: value" lines (names compare without
// case), repeated headers joined with ", "; null when absent.
std::optional<std::string> FindHeader(const std::vector<std::string>& lines, std::string_view name);

} // namespace pal::http
