// Feeds arbitrary bytes, as one client's connection, to the emulator's request
// reader, reading requests until it stops. Beyond not crashing or hanging:
// every request it returns is well formed, its body is within what was sent,
// and a request written out again (headers as read, the body with a length)
// reads back as the same request.
#include "emulator/request_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What one connection sends: all of it fits a socket pair's buffer, so the
// writer never waits for the reader.
constexpr std::size_t kMaxInput = 32 * 1024;
constexpr int kMaxRequests = 256;

class SocketPair {
  public:
    SocketPair()
    {
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends_) != 0) std::abort();
    }
    ~SocketPair()
    {
        close(ends_[0]);
        close(ends_[1]);
    }
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;

    // Sends the bytes from the client's end and closes its sending side.
    void Send(std::string_view bytes) const
    {
        if (!emulator::SendAll(ends_[0], bytes) || shutdown(ends_[0], SHUT_WR) != 0) std::abort();
    }
    int Server() const { return ends_[1]; }

  private:
    int ends_[2] = {-1, -1};
};

bool IsFraming(std::string_view name)
{
    return emulator::EqualsIgnoreCase(name, "Content-Length") || emulator::EqualsIgnoreCase(name, "Transfer-Encoding");
}

std::string WriteOut(const emulator::HttpRequest& request)
{
    std::string out = request.method + " " + request.target + " " + request.version + "\r\n";
    for (const auto& [name, value] : request.headers)
        if (!IsFraming(name)) out += name + ": " + value + "\r\n";
    out += "Content-Length: " + std::to_string(request.body.size()) + "\r\n\r\n";
    return out + request.body;
}

bool SameRequest(const emulator::HttpRequest& a, const emulator::HttpRequest& b)
{
    if (a.method != b.method || a.target != b.target || a.version != b.version || a.body != b.body) return false;
    std::size_t m = 0;
    for (const auto& header : a.headers) {
        if (IsFraming(header.first)) continue;
        while (m < b.headers.size() && IsFraming(b.headers[m].first))
            ++m;
        if (m == b.headers.size() || b.headers[m] != header) return false;
        ++m;
    }
    return true;
}

void CheckReadsBack(const emulator::HttpRequest& request)
{
    const SocketPair pair;
    pair.Send(WriteOut(request));
    emulator::RequestReader reader(pair.Server());
    emulator::HttpRequest again;
    if (reader.Read(again) != emulator::ReadOutcome::Request || !SameRequest(request, again)) std::abort();
    if (reader.Read(again) != emulator::ReadOutcome::Closed) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput) return 0;
    const SocketPair pair;
    pair.Send(std::string_view(reinterpret_cast<const char*>(data), size));

    emulator::RequestReader reader(pair.Server());
    std::size_t bodies = 0;
    for (int n = 0; n < kMaxRequests; ++n) {
        emulator::HttpRequest request;
        if (reader.Read(request) != emulator::ReadOutcome::Request) break;
        if (request.method.empty() || request.target.empty() ||
            (request.version != "HTTP/1.1" && request.version != "HTTP/1.0"))
            std::abort();
        bodies += request.body.size();
        if (bodies > size) std::abort();
        CheckReadsBack(request);
    }
    return 0;
}
