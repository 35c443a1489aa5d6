#include "emulator/http_server.h"

#include "emulator/request_reader.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <system_error>

namespace emulator {
namespace {

// An idle keep-alive connection gives up after this long, so a long demo run
// does not collect threads for clients that went away silently.
constexpr int kIdleSeconds = 120;

[[noreturn]] void ThrowErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

bool WantsKeepAlive(const HttpRequest& request)
{
    auto connection = FindHeader(request.headers, "Connection");
    if (!connection) connection = FindHeader(request.headers, "Proxy-Connection");
    const std::string value = connection ? ToLower(*connection) : std::string();
    if (request.version == "HTTP/1.0") return value.find("keep-alive") != std::string::npos;
    return value.find("close") == std::string::npos;
}

HttpResponse PlainError(int status)
{
    HttpResponse response;
    response.status = status;
    response.content_type = "text/plain; charset=utf-8";
    response.body = ReasonPhrase(status);
    return response;
}

} // namespace

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {}

HttpServer::~HttpServer()
{
    Stop();
}

void HttpServer::Start(std::uint16_t port)
{
    if (acceptor_.joinable()) return;
    pal::UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.Valid()) ThrowErrno("socket");
    const int on = 1;
    ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) ThrowErrno("bind");
    if (::listen(listener.Get(), 64) != 0) ThrowErrno("listen");
    socklen_t length = sizeof address;
    if (::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) ThrowErrno("getsockname");
    pal::UniqueFd wake(::eventfd(0, EFD_CLOEXEC));
    if (!wake.Valid()) ThrowErrno("eventfd");

    listener_ = std::move(listener);
    wake_ = std::move(wake);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

void HttpServer::Stop()
{
    if (!acceptor_.joinable()) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake_.Get(), &one, sizeof one);
    acceptor_.join();
    listener_.Reset();
    wake_.Reset();

    std::lock_guard lock(mutex_);
    for (auto& connection : connections_)
        ::shutdown(connection->socket.Get(), SHUT_RDWR);
    for (auto& connection : connections_)
        connection->thread.join();
    connections_.clear();
}

void HttpServer::AcceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{listener_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        pal::UniqueFd socket(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!socket.Valid()) continue;
        const timeval idle{kIdleSeconds, 0};
        ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);

        std::lock_guard lock(mutex_);
        ReapFinished();
        auto connection = std::make_unique<Connection>();
        connection->socket = std::move(socket);
        Connection& ref = *connection;
        connections_.push_back(std::move(connection));
        ref.thread = std::thread([this, &ref] { Serve(ref); });
    }
}

void HttpServer::ReapFinished()
{
    for (auto it = connections_.begin(); it != connections_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void HttpServer::Serve(Connection& connection)
{
    const int socket = connection.socket.Get();
    RequestReader reader(socket);
    for (;;) {
        HttpRequest request;
        const ReadOutcome outcome = reader.Read(request);
        if (outcome == ReadOutcome::Closed) break;
        if (outcome != ReadOutcome::Request) {
            const int status = outcome == ReadOutcome::TooLarge ? 413 : outcome == ReadOutcome::Unsupported ? 501 : 400;
            SendAll(socket, SerializeResponse(PlainError(status), false));
            break;
        }
        HttpResponse response;
        try {
            response = handler_(request);
        } catch (const std::exception&) {
            response = PlainError(500);
        }
        if (response.drop_connection) break;
        const bool keep_alive = WantsKeepAlive(request);
        if (!SendAll(socket, SerializeResponse(response, keep_alive)) || !keep_alive) break;
    }
    // The descriptor stays open until the thread is joined, so Stop can never
    // shut down a number that has been reused.
    ::shutdown(socket, SHUT_RDWR);
    connection.finished = true;
}

} // namespace emulator
