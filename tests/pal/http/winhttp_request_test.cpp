// Asynchronous WinHTTP requests: what goes on the wire, the completions and
// their order, failures of the connection and the server, and closing.
#include "pal/http/session_worker.h"
#include "pal/unique_internet.h"
#include "pal/utf.h"
#include "tests/pal/http/loopback_server.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testing_support::LoopbackServer;

struct Event {
    DWORD status;
    DWORD value; // byte count, error code, or 0
    DWORD_PTR api = 0;
};

// Records every completion; the test waits for them one by one.
class Completions {
  public:
    static void CALLBACK Callback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length)
    {
        auto* self = reinterpret_cast<Completions*>(context);
        Event event{status, 0};
        if (status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
            const auto* result = static_cast<WINHTTP_ASYNC_RESULT*>(info);
            event.value = result->dwError;
            event.api = result->dwResult;
        } else if (status == WINHTTP_CALLBACK_STATUS_READ_COMPLETE) {
            event.value = length;
        } else if (info && length == sizeof(DWORD)) {
            event.value = *static_cast<DWORD*>(info);
        }
        {
            std::lock_guard lock(self->mutex_);
            self->events_.push_back(event);
        }
        self->changed_.notify_all();
    }

    Event Next(std::chrono::milliseconds timeout = 10s)
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] { return events_.size() > taken_; })) return {0xFFFFFFFF, 0xFFFFFFFF};
        return events_[taken_++];
    }
    std::size_t Count()
    {
        std::lock_guard lock(mutex_);
        return events_.size();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    std::size_t taken_ = 0;
};

// One connection accepted and handed to a script of the test.
class ScriptedServer {
  public:
    explicit ScriptedServer(std::function<void(int)> script)
    {
        listen(listener_.Get(), 4);
        thread_ = std::thread([this, script = std::move(script)] {
            const int fd = accept(listener_.Get(), nullptr, nullptr);
            if (fd < 0) return;
            const pal::UniqueFd client(fd);
            script(fd);
        });
    }
    ~ScriptedServer()
    {
        shutdown(listener_.Get(), SHUT_RDWR);
        thread_.join();
    }
    unsigned short Port() const { return port_; }

  private:
    pal::UniqueFd listener_{socket(AF_INET, SOCK_STREAM, 0)};
    const unsigned short port_ = testing_support::BindLoopback(listener_.Get());
    std::thread thread_;
};

class WinHttpRequest : public ::testing::Test {
  protected:
    void Open(unsigned short port, LPCWSTR path = u"/upload?x=1")
    {
        session_.reset(WinHttpOpen(u"Agent/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, WINHTTP_FLAG_ASYNC));
        ASSERT_TRUE(session_);
        connection_.reset(WinHttpConnect(session_.get(), u"127.0.0.1", port, 0));
        ASSERT_TRUE(connection_);
        request_.reset(WinHttpOpenRequest(connection_.get(), u"POST", path, nullptr, WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_REFRESH));
        ASSERT_TRUE(request_);
        ASSERT_NE(
            WinHttpSetStatusCallback(request_.get(), &Completions::Callback, WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0),
            WINHTTP_INVALID_STATUS_CALLBACK);
    }
    bool Send(DWORD total)
    {
        return WinHttpSendRequest(request_.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, total,
                                  reinterpret_cast<DWORD_PTR>(&completions_));
    }
    void TearDown() override { pal::http::SetTimeoutScaleForTesting(1); }

    Completions completions_;
    pal::UniqueInternet session_, connection_, request_;
};

TEST_F(WinHttpRequest, StreamsTheBodyInChunksAndReadsTheReplyWithCompletionsInOrder)
{
    LoopbackServer server(LoopbackServer::Reply("201 Created", "", "12345\r\n  "));
    Open(server.Port());
    ASSERT_TRUE(WinHttpAddRequestHeaders(request_.get(), u"X-Token: abc", static_cast<DWORD>(-1),
                                         WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE));
    ASSERT_TRUE(WinHttpAddRequestHeaders(request_.get(), u"Content-Type: image/jpeg\r\n", static_cast<DWORD>(-1),
                                         WINHTTP_ADDREQ_FLAG_ADD));
    EXPECT_FALSE(
        WinHttpAddRequestHeaders(request_.get(), u"no colon", static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD));
    EXPECT_FALSE(WinHttpWriteData(request_.get(), "x", 1, nullptr)) << "nothing is sent yet";
    EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);

    std::string body(150000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 7 + i / 256);
    ASSERT_TRUE(Send(static_cast<DWORD>(body.size())));
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE);
    for (std::size_t offset = 0; offset < body.size(); offset += 65536) {
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(65536, body.size() - offset));
        ASSERT_TRUE(WinHttpWriteData(request_.get(), body.data() + offset, n, nullptr));
        EXPECT_FALSE(WinHttpAddRequestHeaders(request_.get(), u"Late: 1", static_cast<DWORD>(-1), 0));
        const Event written = completions_.Next();
        EXPECT_EQ(written.status, WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE);
        EXPECT_EQ(written.value, n);
    }
    ASSERT_TRUE(WinHttpReceiveResponse(request_.get(), nullptr));
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE);
    DWORD status = 0, size = sizeof status;
    ASSERT_TRUE(WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                    WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX));
    EXPECT_EQ(status, 201u);

    std::string reply;
    for (;;) {
        ASSERT_TRUE(WinHttpQueryDataAvailable(request_.get(), nullptr));
        const Event available = completions_.Next();
        ASSERT_EQ(available.status, WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE);
        if (available.value == 0) break;
        std::string part(available.value, '\0');
        ASSERT_TRUE(WinHttpReadData(request_.get(), part.data(), available.value, nullptr));
        const Event read = completions_.Next();
        ASSERT_EQ(read.status, WINHTTP_CALLBACK_STATUS_READ_COMPLETE);
        reply += part.substr(0, read.value);
    }
    EXPECT_EQ(reply, "12345\r\n  ");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string head = requests[0].substr(0, requests[0].find("\r\n\r\n") + 4);
    EXPECT_EQ(head, "POST /upload?x=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                        "\r\nUser-Agent: Agent/1.0\r\nX-Token: abc\r\nContent-Type: image/jpeg\r\n"
                        "Content-Length: 150000\r\n\r\n");
    EXPECT_TRUE(requests[0].substr(head.size()) == body) << "the body arrives byte for byte";
}

TEST_F(WinHttpRequest, TheRequestsProxyOptionSendsTheAbsoluteFormThroughThatProxy)
{
    LoopbackServer proxy(LoopbackServer::Reply("200 OK", "", "7"));
    Open(1); // never reached: the proxy answers
    std::u16string list = u"127.0.0.1:" + pal::ToUtf16(std::to_string(proxy.Port()));
    WINHTTP_PROXY_INFO info{WINHTTP_ACCESS_TYPE_NAMED_PROXY, list.data(), nullptr};
    ASSERT_TRUE(WinHttpSetOption(request_.get(), WINHTTP_OPTION_PROXY, &info, sizeof info));
    ASSERT_TRUE(Send(3));
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE);
    ASSERT_TRUE(WinHttpWriteData(request_.get(), "abc", 3, nullptr));
    EXPECT_EQ(completions_.Next().value, 3u);
    ASSERT_TRUE(WinHttpReceiveResponse(request_.get(), nullptr));
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE);
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_TRUE(proxy.Requests()[0].starts_with("POST http://127.0.0.1:1/upload?x=1 HTTP/1.1\r\n"))
        << proxy.Requests()[0];
}

TEST_F(WinHttpRequest, ARefusedConnectionFailsTheSendAtOnceAndTheRequestCanBeSentAgain)
{
    unsigned short closedPort;
    {
        const pal::UniqueFd unused(socket(AF_INET, SOCK_STREAM, 0));
        closedPort = testing_support::BindLoopback(unused.Get()); // bound, never listening
    }
    Open(closedPort);
    EXPECT_FALSE(Send(1));
    EXPECT_EQ(GetLastError(), ERROR_WINHTTP_CANNOT_CONNECT);

    LoopbackServer server(LoopbackServer::Reply("200 OK", "", ""));
    std::u16string list = u"127.0.0.1:" + pal::ToUtf16(std::to_string(server.Port()));
    WINHTTP_PROXY_INFO info{WINHTTP_ACCESS_TYPE_NAMED_PROXY, list.data(), nullptr};
    ASSERT_TRUE(WinHttpSetOption(request_.get(), WINHTTP_OPTION_PROXY, &info, sizeof info));
    ASSERT_TRUE(Send(1)) << "a failed send leaves the request ready for the next proxy";
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE);
    EXPECT_EQ(completions_.Count(), 1u) << "the refused attempt reported nothing";
    request_.reset(); // before the server, which waits for the body
}

TEST_F(WinHttpRequest, AStalledServerMeetsTheScaledTimeOutAndADroppedOneAConnectionError)
{
    pal::http::SetTimeoutScaleForTesting(0.01); // receive: 3.6 s
    std::atomic<bool> release{false};
    {
        ScriptedServer silent([&](int fd) {
            char buffer[4096];
            while (!release && recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) != 0)
                std::this_thread::sleep_for(10ms);
        });
        Open(silent.Port());
        ASSERT_TRUE(WinHttpSetTimeouts(request_.get(), 0, 120000, 120000, 360000));
        ASSERT_TRUE(Send(2));
        EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE);
        ASSERT_TRUE(WinHttpWriteData(request_.get(), "ab", 2, nullptr));
        EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(WinHttpReceiveResponse(request_.get(), nullptr));
        const Event timedOut = completions_.Next(20s);
        EXPECT_EQ(timedOut.status, WINHTTP_CALLBACK_STATUS_REQUEST_ERROR);
        EXPECT_EQ(timedOut.value, ERROR_WINHTTP_TIMEOUT);
        EXPECT_EQ(timedOut.api, API_RECEIVE_RESPONSE);
        EXPECT_GE(std::chrono::steady_clock::now() - started, 3s);
        release = true;
    }

    ScriptedServer dropping([](int fd) {
        char buffer[1000];
        recv(fd, buffer, sizeof buffer, MSG_WAITALL); // the head and a little of the body, then hang up
    });
    request_.reset();
    connection_.reset();
    Open(dropping.Port());
    const std::string chunk(65536, 'z');
    ASSERT_TRUE(Send(static_cast<DWORD>(chunk.size() * 200)));
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE);
    Event last{};
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(WinHttpWriteData(request_.get(), chunk.data(), static_cast<DWORD>(chunk.size()), nullptr));
        last = completions_.Next();
        if (last.status != WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE) break;
    }
    EXPECT_EQ(last.status, WINHTTP_CALLBACK_STATUS_REQUEST_ERROR);
    EXPECT_EQ(last.value, ERROR_WINHTTP_CONNECTION_ERROR);
    EXPECT_EQ(last.api, API_WRITE_DATA);
}

TEST_F(WinHttpRequest, NoCallbackRunsAfterTheRequestIsClosed)
{
    ScriptedServer server([](int fd) {
        char buffer[65536];
        while (recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    });
    Open(server.Port());
    const std::string chunk(65536, 'q');
    ASSERT_TRUE(Send(static_cast<DWORD>(chunk.size() * 1000)));
    EXPECT_EQ(completions_.Next().status, WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE);
    ASSERT_TRUE(WinHttpWriteData(request_.get(), chunk.data(), static_cast<DWORD>(chunk.size()), nullptr));
    request_.reset(); // while the write is in flight
    const std::size_t seen = completions_.Count();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(completions_.Count(), seen);
}

TEST(WinHttpCrackUrl, SplitsIntoBuffersOrPointersAndRefusesWhatItCannotFetch)
{
    const std::u16string url = u"HTTPS://user:pw@up.example.com:8443/a%20b/upload.ushx?q=1#f";
    WCHAR host[16], path[8];
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 16;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 8;
    EXPECT_FALSE(WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(parts.dwUrlPathLength, 25u) << "path with the extra information, and its terminator";

    std::u16string longPath(64, u'\0');
    parts.lpszUrlPath = longPath.data();
    parts.dwUrlPathLength = 64;
    parts.dwHostNameLength = 16;
    parts.dwSchemeLength = 1; // pointer into the URL
    ASSERT_TRUE(WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
    EXPECT_EQ(std::u16string(host), u"up.example.com");
    EXPECT_EQ(std::u16string(longPath.c_str()), u"/a%20b/upload.ushx?q=1#f");
    EXPECT_EQ(std::u16string_view(parts.lpszScheme, parts.dwSchemeLength), u"HTTPS");
    EXPECT_EQ(parts.nScheme, INTERNET_SCHEME_HTTPS);
    EXPECT_EQ(parts.nPort, 8443);

    URL_COMPONENTS plain{};
    plain.dwStructSize = sizeof plain;
    plain.dwUrlPathLength = plain.dwExtraInfoLength = 1;
    ASSERT_TRUE(WinHttpCrackUrl(u"http://h/p?x", 0, 0, &plain));
    EXPECT_EQ(std::u16string_view(plain.lpszUrlPath, plain.dwUrlPathLength), u"/p");
    EXPECT_EQ(std::u16string_view(plain.lpszExtraInfo, plain.dwExtraInfoLength), u"?x");
    EXPECT_EQ(plain.nPort, INTERNET_DEFAULT_HTTP_PORT);

    for (const char16_t* bad : {u"ftp://h/", u"no scheme", u"http:///p", u"http://h:0/", u"http://h:99999/"}) {
        URL_COMPONENTS any{};
        any.dwStructSize = sizeof any;
        EXPECT_FALSE(WinHttpCrackUrl(bad, 0, 0, &any)) << pal::ToUtf8(bad);
    }
}

} // namespace
