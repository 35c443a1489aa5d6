#include "emulator/request_reader.h"

#include <cerrno>
#include <charconv>
#include <sys/socket.h>

namespace emulator {
namespace {

bool HasToken(std::string_view list, std::string_view token)
{
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (EqualsIgnoreCase(item, token)) return true;
    }
    return false;
}

std::optional<std::size_t> ParseSize(std::string_view text, int base)
{
    std::size_t value = 0;
    if (text.empty()) return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

bool SendAll(int socket, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool RequestReader::FillTo(std::size_t size)
{
    char chunk[64 * 1024];
    while (buffer_.size() < size) {
        const ssize_t received = ::recv(socket_, chunk, sizeof chunk, 0);
        if (received < 0 && errno == EINTR) continue;
        if (received <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(received));
    }
    return true;
}

bool RequestReader::FillUntilLine(std::size_t from, std::size_t& line_end)
{
    while ((line_end = buffer_.find("\r\n", from)) == std::string::npos) {
        if (buffer_.size() - from > kMaxHead || !FillTo(buffer_.size() + 1)) return false;
    }
    return true;
}

ReadOutcome RequestReader::ReadChunked(std::size_t position, std::string& body, std::size_t& consumed)
{
    for (;;) {
        std::size_t line_end = 0;
        if (!FillUntilLine(position, line_end)) return ReadOutcome::Malformed;
        std::string_view size_text = std::string_view(buffer_).substr(position, line_end - position);
        size_text = size_text.substr(0, size_text.find(';'));
        while (!size_text.empty() && (size_text.back() == ' ' || size_text.back() == '\t'))
            size_text.remove_suffix(1);
        const auto size = ParseSize(size_text, 16);
        if (!size) return ReadOutcome::Malformed;
        position = line_end + 2;
        if (*size == 0) break;
        if (*size > kMaxBody - body.size()) return ReadOutcome::TooLarge;
        if (!FillTo(position + *size + 2)) return ReadOutcome::Malformed;
        body.append(buffer_, position, *size);
        if (buffer_.compare(position + *size, 2, "\r\n") != 0) return ReadOutcome::Malformed;
        position += *size + 2;
    }
    // Trailer lines, ignored, up to the empty line.
    for (;;) {
        std::size_t line_end = 0;
        if (!FillUntilLine(position, line_end)) return ReadOutcome::Malformed;
        const bool empty = line_end == position;
        position = line_end + 2;
        if (empty) break;
    }
    consumed = position;
    return ReadOutcome::Request;
}

ReadOutcome RequestReader::Read(HttpRequest& request)
{
    // Empty lines before a request line are allowed and skipped.
    for (;;) {
        if (buffer_.empty() && !FillTo(1)) return ReadOutcome::Closed;
        if (buffer_.rfind("\r\n", 0) == 0) {
            buffer_.erase(0, 2);
        } else if (buffer_ == "\r") {
            if (!FillTo(2)) return ReadOutcome::Closed;
        } else {
            break;
        }
    }
    std::size_t head_end = 0;
    while ((head_end = buffer_.find("\r\n\r\n")) == std::string::npos) {
        if (buffer_.size() > kMaxHead) return ReadOutcome::TooLarge;
        if (!FillTo(buffer_.size() + 1)) return buffer_.empty() ? ReadOutcome::Closed : ReadOutcome::Malformed;
    }
    auto head = ParseHead(std::string_view(buffer_).substr(0, head_end));
    if (!head) return ReadOutcome::Malformed;

    request.method = std::move(head->method);
    request.target = std::move(head->target);
    request.version = std::move(head->version);
    request.headers = std::move(head->headers);
    request.body.clear();

    const auto transfer_encoding = FindHeader(request.headers, "Transfer-Encoding");
    const auto content_length = FindHeader(request.headers, "Content-Length");
    const bool chunked = transfer_encoding && HasToken(*transfer_encoding, "chunked");
    if (transfer_encoding && !chunked) return ReadOutcome::Unsupported;
    std::size_t length = 0;
    if (!chunked && content_length) {
        const auto parsed = ParseSize(*content_length, 10);
        if (!parsed) return ReadOutcome::Malformed;
        if (*parsed > kMaxBody) return ReadOutcome::TooLarge;
        length = *parsed;
    }

    const auto expect = FindHeader(request.headers, "Expect");
    if (expect && EqualsIgnoreCase(*expect, "100-continue") && request.version == "HTTP/1.1" &&
        (chunked || length > 0) && buffer_.size() == head_end + 4) {
        if (!SendAll(socket_, "HTTP/1.1 100 Continue\r\n\r\n")) return ReadOutcome::Closed;
    }

    const std::size_t body_start = head_end + 4;
    std::size_t consumed = 0;
    if (chunked) {
        const ReadOutcome outcome = ReadChunked(body_start, request.body, consumed);
        if (outcome != ReadOutcome::Request) return outcome;
    } else {
        if (!FillTo(body_start + length)) return ReadOutcome::Malformed;
        request.body.assign(buffer_, body_start, length);
        consumed = body_start + length;
    }
    buffer_.erase(0, consumed);
    return ReadOutcome::Request;
}

} // namespace emulator
