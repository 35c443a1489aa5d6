#pragma once

#include "emulator/http_message.h"

#include <cstddef>
#include <string>

namespace emulator {

enum class ReadOutcome { Request, Closed, Malformed, TooLarge, Unsupported };

// Reads requests one after another from a connected socket. Bytes that arrive
// past the end of one request stay buffered for the next (pipelining).
class RequestReader {
  public:
    static constexpr std::size_t kMaxHead = 64 * 1024;
    static constexpr std::size_t kMaxBody = 256 * 1024 * 1024;

    explicit RequestReader(int socket) : socket_(socket) {}

    // Answers "100 Continue" itself when the client waits for it.
    ReadOutcome Read(HttpRequest& request);

  private:
    bool FillTo(std::size_t size);
    bool FillUntilLine(std::size_t from, std::size_t& line_end);
    ReadOutcome ReadChunked(std::size_t position, std::string& body, std::size_t& consumed);

    int socket_;
    std::string buffer_;
};

// Sends all bytes; false when the peer has gone.
bool SendAll(int socket, std::string_view bytes);

} // namespace emulator
