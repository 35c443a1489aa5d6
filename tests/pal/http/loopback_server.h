// A one-request-per-connection HTTP server on 127.0.0.1 that records each
// request byte for byte and answers every one with the same canned reply.
// Acting as a proxy it simply records the absolute-form request it was sent.
#pragma once

#include "pal/base/unique_fd.h"

#include <arpa/inet.h>
#include <mutex>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testing_support {

// Binds to a free loopback port; until listen() is called, connecting is refused.
inline unsigned short BindLoopback(int socket)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot bind a loopback socket");
    return ntohs(address.sin_port);
}

class LoopbackServer {
  public:
    explicit LoopbackServer(std::string reply) : reply_(std::move(reply))
    {
        if (listen(listener_.Get(), 8) != 0) throw std::runtime_error("listen failed");
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer()
    {
        shutdown(listener_.Get(), SHUT_RDWR); // wakes the blocked accept
        thread_.join();
    }

    std::string Url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    unsigned short Port() const { return port_; }

    // Recorded before the reply goes out, so a finished send has been seen.
    std::vector<std::string> Requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    static std::string Reply(const std::string& status, const std::string& headers, const std::string& body)
    {
        return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }

  private:
    void Serve()
    {
        for (int fd; (fd = accept(listener_.Get(), nullptr, nullptr)) >= 0;) {
            const pal::UniqueFd client(fd);
            std::string request = ReadRequest(fd);
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(std::move(request));
            }
            for (std::size_t sent = 0; sent < reply_.size();) {
                const ssize_t n = ::send(fd, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<std::size_t>(n);
            }
        }
    }

    // Reads the head, then as many body bytes as Content-Length (written by libcurl in this case) says.
    static std::string ReadRequest(int fd)
    {
        std::string data;
        char buffer[4096];
        for (std::size_t expected = std::string::npos; data.size() < expected;) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            data.append(buffer, static_cast<std::size_t>(n));
            const auto end = data.find("\r\n\r\n");
            if (expected == std::string::npos && end != std::string::npos) {
                const auto length = data.find("\r\nContent-Length: ");
                expected = end + 4 + (length < end ? std::stoul(data.substr(length + 18)) : 0);
            }
        }
        return data;
    }

    const std::string reply_;
    pal::UniqueFd listener_{socket(AF_INET, SOCK_STREAM, 0)};
    const unsigned short port_ = BindLoopback(listener_.Get());
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace testing_support
