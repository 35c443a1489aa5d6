// Connections and requests of an asynchronous WinHTTP session over libcurl.
//
// A session's requests run on its one worker thread (session_worker.h), which
// owns every libcurl handle. The calls of the WinHTTP functions only check the
// request's state, record what was asked and wake the worker; the worker moves
// the transfer on and delivers each completion through the status callback,
// never while it is inside libcurl and never after the request is closed.
//
// Sending connects before it returns (the caller's proxy failover needs a
// refused connection at once); the connected socket is handed to libcurl.
#pragma once

#include "internet_handle.h"
#include "pal/base/unique_fd.h"

#include <chrono>
#include <curl/curl.h>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace pal::http {

class Connection final : public InternetObject {
  public:
    std::shared_ptr<Session> session;
    std::u16string host;
    INTERNET_PORT port = 0; // 0: the scheme's default
};

class Request final : public InternetObject, public std::enable_shared_from_this<Request> {
  public:
    Request(std::shared_ptr<Connection> connection, std::string verb, std::string path, bool secure);
    ~Request() override;

    // Set once the handle exists; callbacks name it.
    HINTERNET handle = nullptr;

    // ---- Calls (any thread). Each answers FALSE with the thread's last error set.
    BOOL AddHeaders(std::u16string_view lines, DWORD modifiers);
    BOOL Send(DWORD totalLength, DWORD_PTR context);
    BOOL Write(LPCVOID buffer, DWORD size);
    BOOL ReceiveResponse();
    BOOL QueryStatus(DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength);
    BOOL QueryDataAvailable();
    BOOL Read(LPVOID buffer, DWORD size);
    // Waits until the worker has let go of the transfer; no callback runs afterwards.
    void Close() override;

    // ---- Worker thread only.
    // Moves the transfer on after libcurl or a call changed something, and
    // queues the completions that became due.
    void Advance();
    void Finished(CURLcode result);
    bool TimedOut(std::chrono::steady_clock::time_point now, double timeoutScale);
    void FailWith(DWORD error);
    void Detach();
    // Delivers queued completions, stopping early when a callback closes the request.
    void DeliverCompletions();
    CURL* Easy() const noexcept { return easy_; }

  private:
    struct Completion {
        DWORD status;
        DWORD value = 0;         // byte count, or the error for REQUEST_ERROR
        DWORD_PTR api = 0;       // REQUEST_ERROR: the call whose work failed
        LPVOID buffer = nullptr; // READ_COMPLETE: the caller's buffer
    };

    static size_t OnRead(char* buffer, size_t size, size_t count, void* self);
    static size_t OnWrite(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int OnSocketOptions(void* self, curl_socket_t socket, curlsocktype purpose);
    static int OnCloseSocket(void* self, curl_socket_t socket);

    // A configured easy handle for the transfer, or 0 and the handle in easy_.
    DWORD PrepareTransfer(const std::string& url, const std::string& proxy, DWORD totalLength);
    void Queue(Completion completion);
    void ResumeIfWaiting();
    BOOL Fail(DWORD error) const;
    // The call can start now: the request is sent, alive, and none of its kind is pending.
    bool CheckCanStart(bool pending);

    const std::shared_ptr<Connection> connection_;
    const std::string verb_;
    const std::string path_;
    const bool secure_;
    std::shared_ptr<SessionWorker> worker_;

    // Guarded by mutex (the base's), shared between the calls and the worker.
    std::vector<std::pair<std::string, std::string>> headers_;
    DWORD_PTR context_ = 0;
    bool sent_ = false;
    bool closed_ = false;
    DWORD totalLength_ = 0;
    DWORD error_ = 0;              // the transfer's failure, reported to the next call that waits
    bool sendCompleteDue_ = false; // SENDREQUEST_COMPLETE not yet queued
    const BYTE* chunk_ = nullptr;  // the write in progress: the caller's bytes
    DWORD chunkSize_ = 0;
    DWORD chunkTaken_ = 0;
    bool writePending_ = false;
    DWORD bytesHanded_ = 0; // all writes, for the total length check
    bool receivePending_ = false;
    bool queryPending_ = false;
    LPVOID readBuffer_ = nullptr;
    DWORD readSize_ = 0;
    bool readPending_ = false;
    long status_ = 0;
    bool headersDone_ = false;
    bool transferDone_ = false;
    std::string body_; // received, not yet read
    std::size_t bodyRead_ = 0;
    std::deque<Completion> completions_;

    // Worker thread only.
    CURL* easy_ = nullptr;
    curl_slist* headerList_ = nullptr;
    curl_slist* resolveList_ = nullptr;
    pal::UniqueFd socket_; // connected by Send, handed to libcurl once
    bool sendPaused_ = false;
    bool receivePaused_ = false;
    std::chrono::steady_clock::time_point lastActivity_;
};

} // namespace pal::http
