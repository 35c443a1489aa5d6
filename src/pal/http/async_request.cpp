#include "pal/http/async_request.h"

#include "pal/http/curl_error.h"
#include "pal/http/curl_handles.h"
#include "pal/http/header_text.h"
#include "pal/http/session_worker.h"
#include "pal/http/socket_connect.h"
#include "pal/proxy/proxy_list.h"
#include "pal/proxy/user_proxy_config.h"
#include "pal/utf.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

namespace pal::http {

namespace {

// Received body bytes kept for the caller before the transfer pauses.
constexpr std::size_t kReceiveWindow = 64 * 1024;
// How long the read callback looks for the caller's next chunk before it pauses.
constexpr std::chrono::microseconds kChunkSpin{20};

constexpr DWORD ERROR_WINHTTP_INVALID_HEADER = 12153;
constexpr DWORD ERROR_WINHTTP_HEADER_ALREADY_EXISTS = 12155;

// "host:port" -> host and port (80 when absent); IPv6 literals in brackets.
std::pair<std::string, std::uint16_t> SplitHostPort(const std::string& address, std::uint16_t defaultPort)
{
    std::string host = address;
    std::uint16_t port = defaultPort;
    const auto bracket = address.rfind(']');
    const auto colon = address.rfind(':');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        host = address.substr(0, colon);
        port = static_cast<std::uint16_t>(std::strtoul(address.c_str() + colon + 1, nullptr, 10));
    }
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    return {host, port};
}

} // namespace

Request::Request(std::shared_ptr<Connection> connection, std::string verb, std::string path, bool secure)
    : connection_(std::move(connection)), verb_(std::move(verb)), path_(std::move(path)), secure_(secure)
{
    const std::lock_guard sessionLock(connection_->session->mutex);
    worker_ = connection_->session->worker;
}

Request::~Request()
{
    // Only a transfer that never reached the worker still has its handle here.
    if (easy_) curl_easy_cleanup(easy_);
    curl_slist_free_all(headerList_);
    curl_slist_free_all(resolveList_);
}

BOOL Request::Fail(DWORD error) const
{
    SetLastError(error);
    return FALSE;
}

BOOL Request::AddHeaders(std::u16string_view lines, DWORD modifiers)
{
    const DWORD flags = modifiers & WINHTTP_ADDREQ_FLAGS_MASK;
    std::vector<std::pair<std::string, std::string>> parsed;
    const std::string text = ToUtf8(lines);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = text.find_first_not_of("\r\n", end);
        if (start == std::string::npos) start = text.size();
        if (TrimHeaderText(line).empty()) continue;
        const auto colon = line.find(':');
        const std::string_view name = colon == std::string_view::npos ? line : line.substr(0, colon);
        if (colon == std::string_view::npos || name.empty() || !std::all_of(name.begin(), name.end(), IsTokenCharacter))
            return Fail(ERROR_WINHTTP_INVALID_HEADER);
        parsed.emplace_back(std::string(name), std::string(TrimHeaderText(line.substr(colon + 1))));
    }
    if (parsed.empty()) return Fail(ERROR_INVALID_PARAMETER);

    const std::lock_guard lock(mutex);
    if (sent_ || closed_) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    for (auto& added : parsed) {
        // Named, not bound: lambdas below capture them, which older compilers refuse for bindings.
        std::string& name = added.first;
        std::string& value = added.second;
        const auto existing = std::find_if(headers_.begin(), headers_.end(), [&](const auto& header) {
            return EqualsIgnoringAsciiCase(header.first, name);
        });
        if (flags & WINHTTP_ADDREQ_FLAG_REPLACE) {
            std::erase_if(headers_, [&](const auto& header) { return EqualsIgnoringAsciiCase(header.first, name); });
            if (!value.empty()) headers_.emplace_back(std::move(name), std::move(value));
        } else if (existing != headers_.end() && (flags & WINHTTP_ADDREQ_FLAG_ADD_IF_NEW)) {
            return Fail(ERROR_WINHTTP_HEADER_ALREADY_EXISTS);
        } else if (existing != headers_.end() &&
                   (flags & (WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON))) {
            existing->second += (flags & WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA) ? ", " : "; ";
            existing->second += value;
        } else {
            headers_.emplace_back(std::move(name), std::move(value));
        }
    }
    return TRUE;
}

DWORD Request::PrepareTransfer(const std::string& url, const std::string& proxy, DWORD totalLength)
{
    CurlEasy easy = NewCurlEasy();
    if (!easy) return ERROR_NOT_ENOUGH_MEMORY;
    CURL* curl = easy.get();
    CurlHeaderList headers;
    bool listed = true;
    std::string agent;
    std::vector<std::pair<std::string, std::string>> callerHeaders;
    {
        const std::lock_guard lock(mutex);
        callerHeaders = headers_;
    }
    for (const auto& [name, value] : callerHeaders)
        listed = listed && headers.Append(value.empty() ? name + ";" : name + ": " + value);
    {
        const std::lock_guard sessionLock(connection_->session->mutex);
        agent = ToUtf8(connection_->session->agent);
    }
    // Only what the caller added goes out, besides Host, User-Agent and Content-Length.
    for (const char* removed : {"Accept:", "Expect:", "Content-Type:", "Proxy-Connection:"}) {
        const bool callerHasIt = std::any_of(callerHeaders.begin(), callerHeaders.end(), [&](const auto& header) {
            return EqualsIgnoringAsciiCase(header.first, std::string_view(removed, std::strlen(removed) - 1));
        });
        if (!callerHasIt) listed = listed && headers.Append(removed);
    }
    if (!listed) return ERROR_NOT_ENOUGH_MEMORY;

    CURLcode rc = CURLE_OK;
    const auto set = [&rc](CURLcode result) {
        if (rc == CURLE_OK) rc = result;
    };
    set(curl_easy_setopt(curl, CURLOPT_URL, url.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
    set(curl_easy_setopt(curl, CURLOPT_PROXY, proxy.empty() ? "" : ("http://" + proxy).c_str()));
    set(curl_easy_setopt(curl, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));
    set(curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.empty() ? nullptr : agent.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L));
    set(curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L));
    if (verb_ == "GET" && totalLength == 0) {
        set(curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L));
    } else if (verb_ == "HEAD" && totalLength == 0) {
        set(curl_easy_setopt(curl, CURLOPT_NOBODY, 1L));
    } else {
        set(curl_easy_setopt(curl, CURLOPT_POST, 1L));
        set(curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(totalLength)));
        set(curl_easy_setopt(curl, CURLOPT_READFUNCTION, &Request::OnRead));
        set(curl_easy_setopt(curl, CURLOPT_READDATA, this));
        if (verb_ != "POST") set(curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, verb_.c_str()));
    }
    set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Request::OnWrite));
    set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, this));
    set(curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Request::OnHeader));
    set(curl_easy_setopt(curl, CURLOPT_HEADERDATA, this));
    set(curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &Request::OnOpenSocket));
    set(curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, this));
    set(curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &Request::OnSocketOptions));
    set(curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this));
    set(curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &Request::OnCloseSocket));
    set(curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this));
    set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.Get()));
    if (rc == CURLE_OUT_OF_MEMORY) return ERROR_NOT_ENOUGH_MEMORY;
    if (rc != CURLE_OK) return ERROR_WINHTTP_INTERNAL_ERROR;

    curl_slist_free_all(headerList_);
    headerList_ = headers.Release();
    if (easy_) curl_easy_cleanup(easy_);
    easy_ = easy.release();
    return 0;
}

BOOL Request::Send(DWORD totalLength, DWORD_PTR context)
{
    ProxyOption proxyOption;
    int connectTimeout = 0;
    {
        const std::lock_guard lock(mutex);
        if (sent_ || closed_) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
        proxyOption = proxy;
        connectTimeout = timeouts.connect;
    }
    if (!worker_) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    std::u16string host;
    INTERNET_PORT port = 0;
    {
        const std::lock_guard lock(connection_->mutex);
        host = connection_->host;
        port = connection_->port;
    }
    const INTERNET_PORT defaultPort = secure_ ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    if (port == INTERNET_DEFAULT_PORT) port = defaultPort;
    const bool literalV6 = host.find(u':') != std::u16string::npos;
    std::u16string url = std::u16string(secure_ ? u"https://" : u"http://") + (literalV6 ? u"[" + host + u"]" : host);
    if (port != defaultPort) url += u":" + ToUtf16(std::to_string(port));
    url += ToUtf16(path_);

    std::u16string proxyAddress;
    if (proxyOption.accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY)
        proxyAddress = ResolveProxy(proxyOption.proxy.value_or(u""), proxyOption.bypass.value_or(u""), url);
    else if (proxyOption.accessType == WINHTTP_ACCESS_TYPE_DEFAULT_PROXY)
        proxyAddress = ProxyForUrl(url);

    const std::string proxy8 = ToUtf8(proxyAddress);
    const auto [peerHost, peerPort] =
        proxy8.empty() ? std::pair{ToUtf8(host), static_cast<std::uint16_t>(port)} : SplitHostPort(proxy8, 80);
    const int scaledConnect = connectTimeout <= 0 ? 0 : std::max(1, static_cast<int>(connectTimeout * TimeoutScale()));
    ConnectedSocket connected = ConnectSocket(peerHost, peerPort, scaledConnect);
    if (connected.error) return Fail(connected.error);

    if (const DWORD error = PrepareTransfer(ToUtf8(url), proxy8, totalLength)) return Fail(error);
    // libcurl looks the name up again before it asks for the socket; it gets the address already connected.
    curl_slist_free_all(resolveList_);
    resolveList_ = curl_slist_append(
        nullptr,
        (peerHost + ":" + std::to_string(peerPort) + ":" +
         (connected.address.find(':') != std::string::npos ? "[" + connected.address + "]" : connected.address))
            .c_str());
    if (!resolveList_ || curl_easy_setopt(easy_, CURLOPT_RESOLVE, resolveList_) != CURLE_OK)
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    socket_ = std::move(connected.socket);
    {
        const std::lock_guard lock(mutex);
        if (closed_) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
        sent_ = true;
        context_ = context;
        totalLength_ = totalLength;
        sendCompleteDue_ = true;
    }
    const std::shared_ptr<Request> self = shared_from_this();
    const bool posted = worker_->Post([self, worker = worker_] {
        self->lastActivity_ = std::chrono::steady_clock::now();
        if (!worker->Attach(self)) {
            self->FailWith(ERROR_WINHTTP_INTERNAL_ERROR);
            return;
        }
    });
    if (!posted) {
        const std::lock_guard lock(mutex);
        sent_ = false;
        return Fail(ERROR_WINHTTP_SHUTDOWN);
    }
    return TRUE;
}

bool Request::CheckCanStart(bool pending)
{
    if (!sent_ || closed_ || pending) {
        SetLastError(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
        return false;
    }
    return true;
}

BOOL Request::Write(LPCVOID buffer, DWORD size)
{
    if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER);
    bool wake = false;
    {
        const std::lock_guard lock(mutex);
        if (!CheckCanStart(writePending_)) return FALSE;
        if (size > totalLength_ - bytesHanded_) return Fail(ERROR_INVALID_PARAMETER);
        chunk_ = static_cast<const BYTE*>(buffer);
        chunkSize_ = size;
        chunkTaken_ = 0;
        writePending_ = true;
        bytesHanded_ += size;
        // A transfer that is sending meets the chunk in its read callback; only
        // a paused or ended one needs the worker woken.
        wake = sendPaused_ || transferDone_ || error_ || size == 0;
    }
    if (wake) worker_->Post([] {});
    return TRUE;
}

BOOL Request::ReceiveResponse()
{
    {
        const std::lock_guard lock(mutex);
        if (!CheckCanStart(receivePending_ || writePending_)) return FALSE;
        receivePending_ = true;
    }
    worker_->Post([] {});
    return TRUE;
}

BOOL Request::QueryStatus(DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength)
{
    if (!bufferLength) return Fail(ERROR_INVALID_PARAMETER);
    if ((infoLevel & ~WINHTTP_QUERY_FLAG_NUMBER) != WINHTTP_QUERY_STATUS_CODE) return Fail(ERROR_INVALID_PARAMETER);
    long status = 0;
    {
        const std::lock_guard lock(mutex);
        if (closed_ || !headersDone_ || status_ == 0) return Fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
        status = status_;
    }
    if (infoLevel & WINHTTP_QUERY_FLAG_NUMBER) {
        if (!buffer || *bufferLength < sizeof(DWORD)) {
            *bufferLength = sizeof(DWORD);
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        *static_cast<DWORD*>(buffer) = static_cast<DWORD>(status);
        *bufferLength = sizeof(DWORD);
        return TRUE;
    }
    const std::u16string text = ToUtf16(std::to_string(status));
    const DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
    if (!buffer || *bufferLength < needed) {
        *bufferLength = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text.c_str(), needed);
    *bufferLength = needed - sizeof(WCHAR);
    return TRUE;
}

BOOL Request::QueryDataAvailable()
{
    {
        const std::lock_guard lock(mutex);
        if (!CheckCanStart(queryPending_ || readPending_ || !headersDone_)) return FALSE;
        queryPending_ = true;
    }
    worker_->Post([] {});
    return TRUE;
}

BOOL Request::Read(LPVOID buffer, DWORD size)
{
    if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER);
    {
        const std::lock_guard lock(mutex);
        if (!CheckCanStart(queryPending_ || readPending_ || !headersDone_)) return FALSE;
        readBuffer_ = buffer;
        readSize_ = size;
        readPending_ = true;
    }
    worker_->Post([] {});
    return TRUE;
}

void Request::Close()
{
    // From a callback the worker may be inside libcurl: the transfer goes at its next turn.
    if (worker_ && worker_->OnWorkerThread()) {
        {
            const std::lock_guard lock(mutex);
            closed_ = true;
            completions_.clear();
        }
        worker_->Post([self = shared_from_this(), worker = worker_] { worker->Detach(*self); });
        return;
    }
    if (worker_) worker_->Run([this, worker = worker_] { worker->Detach(*this); });
    const std::lock_guard lock(mutex);
    closed_ = true;
    completions_.clear();
}

// ---- Worker thread --------------------------------------------------------

void Request::Queue(Completion completion)
{
    completions_.push_back(completion);
}

void Request::Advance()
{
    bool resumeSend = false;
    bool resumeReceive = false;
    {
        const std::lock_guard lock(mutex);
        if (closed_) return;
        if (writePending_ && chunkTaken_ == chunkSize_ && chunkSize_ == 0) {
            writePending_ = false;
            Queue({WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE, 0});
        }
        // A write cannot go anywhere once the transfer has ended.
        if (transferDone_ && writePending_ && !error_) error_ = ERROR_WINHTTP_CONNECTION_ERROR;
        if (error_) {
            const DWORD_PTR api = writePending_      ? API_WRITE_DATA
                                  : receivePending_  ? API_RECEIVE_RESPONSE
                                  : queryPending_    ? API_QUERY_DATA_AVAILABLE
                                  : readPending_     ? API_READ_DATA
                                  : sendCompleteDue_ ? API_SEND_REQUEST
                                                     : 0;
            if (api) {
                writePending_ = receivePending_ = queryPending_ = readPending_ = sendCompleteDue_ = false;
                chunk_ = nullptr;
                Queue({WINHTTP_CALLBACK_STATUS_REQUEST_ERROR, error_, api});
            }
            return;
        }
        if (sendCompleteDue_ && transferDone_) {
            sendCompleteDue_ = false;
            Queue({WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE});
        }
        if (receivePending_ && headersDone_) {
            receivePending_ = false;
            Queue({WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE});
        }
        const std::size_t available = body_.size() - bodyRead_;
        if (queryPending_ && (available > 0 || transferDone_)) {
            queryPending_ = false;
            Queue({WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE,
                   static_cast<DWORD>(std::min<std::size_t>(available, 0xFFFFFFFFu))});
        }
        if (readPending_ && (available > 0 || transferDone_)) {
            const std::size_t n = std::min<std::size_t>(available, readSize_);
            if (n) std::memcpy(readBuffer_, body_.data() + bodyRead_, n);
            bodyRead_ += n;
            if (bodyRead_ == body_.size()) {
                body_.clear();
                bodyRead_ = 0;
            }
            readPending_ = false;
            Queue({WINHTTP_CALLBACK_STATUS_READ_COMPLETE, static_cast<DWORD>(n), 0, readBuffer_});
        }
        resumeSend = sendPaused_ && chunk_ && easy_ && !transferDone_;
        resumeReceive = receivePaused_ && body_.size() - bodyRead_ < kReceiveWindow && easy_ && !transferDone_;
        if (resumeSend) sendPaused_ = false;
        if (resumeReceive) receivePaused_ = false;
    }
    // Unpausing may call back into libcurl's callbacks at once, so no lock is held.
    if (resumeSend || resumeReceive) {
        lastActivity_ = std::chrono::steady_clock::now();
        int mask = CURLPAUSE_CONT;
        {
            const std::lock_guard lock(mutex);
            if (sendPaused_) mask |= CURLPAUSE_SEND;
            if (receivePaused_) mask |= CURLPAUSE_RECV;
        }
        curl_easy_pause(easy_, mask);
    }
}

void Request::Finished(CURLcode result)
{
    const std::lock_guard lock(mutex);
    transferDone_ = true;
    if (result == CURLE_OK) {
        headersDone_ = true;
    } else if (!error_) {
        error_ = WinHttpErrorFromCurl(result);
    }
}

void Request::FailWith(DWORD error)
{
    const std::lock_guard lock(mutex);
    transferDone_ = true;
    if (!error_) error_ = error;
}

bool Request::TimedOut(std::chrono::steady_clock::time_point now, double timeoutScale)
{
    const std::lock_guard lock(mutex);
    if (transferDone_ || !easy_ || !sent_) return false;
    // Waiting for the caller is no fault of the server.
    if ((sendPaused_ && !chunk_) || receivePaused_) return false;
    const bool bodySent = bytesHanded_ == totalLength_ && !chunk_;
    const int limit = bodySent ? timeouts.receive : timeouts.send;
    if (limit <= 0) return false;
    return now - lastActivity_ > std::chrono::duration<double, std::milli>(limit * timeoutScale);
}

void Request::Detach()
{
    if (easy_) curl_easy_cleanup(easy_);
    easy_ = nullptr;
    const std::lock_guard lock(mutex);
    closed_ = true;
    completions_.clear();
}

void Request::DeliverCompletions()
{
    for (;;) {
        Completion completion;
        StatusCallbackSetting setting;
        DWORD_PTR context = 0;
        {
            const std::lock_guard lock(mutex);
            if (closed_ || completions_.empty()) return;
            completion = completions_.front();
            completions_.pop_front();
            setting = statusCallback;
            context = context_;
        }
        if (!setting.callback || !(setting.flags & completion.status)) continue;
        DWORD count = completion.value;
        WINHTTP_ASYNC_RESULT result{completion.api, completion.value};
        switch (completion.status) {
        case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
            setting.callback(handle, context, completion.status, &count, sizeof count);
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            setting.callback(handle, context, completion.status, completion.buffer, completion.value);
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            setting.callback(handle, context, completion.status, &result, sizeof result);
            break;
        default:
            setting.callback(handle, context, completion.status, nullptr, 0);
            break;
        }
    }
}

size_t Request::OnRead(char* buffer, size_t size, size_t count, void* self)
{
    auto* request = static_cast<Request*>(self);
    request->lastActivity_ = std::chrono::steady_clock::now();
    std::unique_lock lock(request->mutex);
    const auto chunkReady = [&] { return request->chunk_ && request->chunkTaken_ < request->chunkSize_; };
    if (request->sendCompleteDue_) {
        request->sendCompleteDue_ = false;
        request->Queue({WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE});
        lock.unlock();
        request->DeliverCompletions();
        lock.lock();
    }
    if (request->closed_) return CURL_READFUNC_ABORT;
    // The caller usually hands the next chunk over within microseconds of
    // hearing the last one was taken; a short spin spares the pause, the wake
    // through the poll and the resume, each a thread switch.
    for (const auto until = std::chrono::steady_clock::now() + kChunkSpin;
         !chunkReady() && !request->closed_ && std::chrono::steady_clock::now() < until;) {
        lock.unlock();
        std::this_thread::yield();
        lock.lock();
    }
    if (request->closed_) return CURL_READFUNC_ABORT;
    if (!chunkReady()) {
        request->sendPaused_ = true;
        return CURL_READFUNC_PAUSE;
    }
    const std::size_t n = std::min<std::size_t>(size * count, request->chunkSize_ - request->chunkTaken_);
    std::memcpy(buffer, request->chunk_ + request->chunkTaken_, n);
    request->chunkTaken_ += static_cast<DWORD>(n);
    if (request->chunkTaken_ < request->chunkSize_) return n;
    request->chunk_ = nullptr;
    request->writePending_ = false;
    request->Queue({WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE, request->chunkSize_});
    // Told at once, so the caller's next chunk can be on its way while libcurl sends this one.
    lock.unlock();
    request->DeliverCompletions();
    return n;
}

size_t Request::OnWrite(char* data, size_t size, size_t count, void* self)
{
    auto* request = static_cast<Request*>(self);
    request->lastActivity_ = std::chrono::steady_clock::now();
    const std::lock_guard lock(request->mutex);
    request->headersDone_ = true;
    if (request->body_.size() - request->bodyRead_ >= kReceiveWindow) {
        request->receivePaused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    try {
        request->body_.append(data, size * count);
    } catch (const std::bad_alloc&) {
        request->error_ = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    return size * count;
}

size_t Request::OnHeader(char* data, size_t size, size_t count, void* self)
{
    auto* request = static_cast<Request*>(self);
    request->lastActivity_ = std::chrono::steady_clock::now();
    const std::string_view line(data, size * count);
    const std::lock_guard lock(request->mutex);
    if (request->sendCompleteDue_) {
        request->sendCompleteDue_ = false;
        request->Queue({WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE});
    }
    if (line.starts_with("HTTP/")) {
        const auto space = line.find(' ');
        request->status_ = space == std::string_view::npos ? 0 : std::strtol(line.data() + space + 1, nullptr, 10);
    } else if ((line == "\r\n" || line == "\n") && request->status_ >= 200) {
        request->headersDone_ = true;
    }
    return size * count;
}

curl_socket_t Request::OnOpenSocket(void* self, curlsocktype, curl_sockaddr*)
{
    // One connection per request: the one Send made.
    auto* request = static_cast<Request*>(self);
    return request->socket_.Valid() ? request->socket_.Release() : CURL_SOCKET_BAD;
}

int Request::OnSocketOptions(void*, curl_socket_t, curlsocktype)
{
    return CURL_SOCKOPT_ALREADY_CONNECTED;
}

int Request::OnCloseSocket(void*, curl_socket_t socket)
{
    return ::close(socket);
}

} // namespace pal::http
