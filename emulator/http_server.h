#pragma once

#include "emulator/http_message.h"
#include "pal/base/unique_fd.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace emulator {

// A small HTTP/1.1 server on the loopback interface. It is written here rather
// than taken from a library because the emulator must see each request exactly
// as sent (absolute-form targets, header order and case) and must be able to
// hang up without answering. One thread per connection: the tests open few.
class HttpServer {
  public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds 127.0.0.1 (port 0 picks a free one) and accepts on its own thread.
    // Throws std::system_error when the port cannot be bound.
    void Start(std::uint16_t port);
    // Closes the listener and every open connection, then joins all threads.
    // The handler must not block past this call; see ServiceEmulator::Stop.
    void Stop();
    std::uint16_t Port() const { return port_; }

  private:
    struct Connection {
        pal::UniqueFd socket;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void AcceptLoop();
    void Serve(Connection& connection);
    void ReapFinished();

    Handler handler_;
    pal::UniqueFd listener_;
    pal::UniqueFd wake_;
    std::uint16_t port_ = 0;
    std::thread acceptor_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

} // namespace emulator
