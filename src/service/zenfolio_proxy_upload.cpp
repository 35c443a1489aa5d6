// UploadTo: one prepared image POSTed to a gallery's upload address over the
// proxy's asynchronous session, streamed in 64 KiB chunks from two buffers so
// the next chunk is read while the previous one is on its way, with progress
// after each chunk and a cancel honoured at every report.
#include "content_type.h"
#include "modified_date.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/unique_internet.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"
#include "percent_encode.h"
#include "proxy_settings.h"
#include "scrambled_constant.h"
#include "service/zenfolio_proxy.h"

#include <algorithm>
#include <memory>
#include <new>
#include <oleauto.h>
#include <optional>
#include <string>
#include <windows.h>

namespace {

using std::chrono::milliseconds;

constexpr DWORD kChunkSize = 65536;
constexpr milliseconds kCompletionWait{396000};
// How long the loop waits for the last write completions between checks.
constexpr milliseconds kDrainPass{100};
constexpr DWORD kHostNameLimit = 512;
constexpr DWORD kUrlPathLimit = 4096;

constexpr DWORD kUploadHeaderKey = 0x6B1D2C3E;
constexpr orvana::ScrambledText kUploadHeader(W("X-Zenfolio-User-Agent: Orvana/1.9.289.0"), kUploadHeaderKey);
constexpr orvana::ScrambledConstant kUploadHeaderRecord{static_cast<DWORD>(kUploadHeader.kBytes),
                                                        kUploadHeaderKey,
                                                        {'O', 'R', 'V', 'S', 'C', 'R', 'M', '1'},
                                                        kUploadHeader.bytes.data()};

bool Empty(LPCWSTR text)
{
    return !text || !*text;
}

bool IsSpace(WCHAR c)
{
    return c == W(' ') || (c >= 9 && c <= 13);
}

// The reply bytes as text of the thread's ANSI code page, trimmed.
pal::WideString ReplyText(const std::string& bytes)
{
    pal::WideString text;
    if (!bytes.empty()) {
        const int length =
            MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        if (length > 0) {
            text.resize(static_cast<std::size_t>(length));
            MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
        }
    }
    std::size_t start = 0, end = text.size();
    while (start < end && IsSpace(text[start]))
        ++start;
    while (end > start && IsSpace(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

// The URL's path with the query the service reads: the name and, when both
// halves of the time are set, the modification time.
pal::WideString ObjectPath(LPCWSTR urlPath, LPCWSTR fileName, FILETIME modified)
{
    const pal::WideString name = orvana::PercentEncode(fileName);
    if (modified.dwLowDateTime == 0 || modified.dwHighDateTime == 0)
        return pal::FormatWide(W("%ls?filename=%ls"), urlPath, name.c_str());
    const pal::WideString date = orvana::PercentEncode(orvana::FormatModifiedDate(modified));
    return pal::FormatWide(W("%ls?filename=%ls&modified=%ls"), urlPath, name.c_str(), date.c_str());
}

bool AddHeader(HINTERNET request, const pal::WideString& line)
{
    return WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(-1),
                                    WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE) != FALSE;
}

} // namespace

void CALLBACK CZenfolioProxy::UploadStatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                                                   DWORD length)
{
    auto* self = reinterpret_cast<CZenfolioProxy*>(context);
    if (!self) return;
    switch (status) {
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
        if (length == sizeof(DWORD)) self->counters_.AddWritten(*static_cast<const DWORD*>(information));
        break;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        if (length == sizeof(DWORD)) self->counters_.AddAvailable(*static_cast<const DWORD*>(information));
        break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        self->counters_.SetError(static_cast<const WINHTTP_ASYNC_RESULT*>(information)->dwError);
        break;
    default:
        break;
    }
    self->completion_.Set();
}

bool CZenfolioProxy::WaitForCompletion()
{
    completion_.WaitFor(kCompletionWait); // a time-out is met by the transport's own, which reports an error
    return counters_.Error() == 0;
}

HRESULT CZenfolioProxy::UploadTo(LPCWSTR lpszUploadURL, LPCWSTR lpszFileName, FILETIME ftModified,
                                 ISequentialStream* lpSource, ULONG dwDataSize, LPCWSTR lpszSourceMD5Base64,
                                 IUploadProgressCallback* lpProgressCallback, BSTR* lpbstrReply)
{
    if (Empty(lpszUploadURL) || Empty(lpszFileName) || !lpSource || dwDataSize == 0 || !lpbstrReply || *lpbstrReply)
        return E_INVALIDARG;
    if (client_.token.empty()) return E_UNEXPECTED;
    // Only running out of memory throws past here.
    return pal::Boundary([&]() -> HRESULT {
        counters_.Reset();

        WCHAR hostName[kHostNameLimit];
        WCHAR urlPath[kUrlPathLimit];
        URL_COMPONENTS url{};
        url.dwStructSize = sizeof url;
        url.lpszHostName = hostName;
        url.dwHostNameLength = kHostNameLimit;
        url.lpszUrlPath = urlPath;
        url.dwUrlPathLength = kUrlPathLimit;
        if (!WinHttpCrackUrl(lpszUploadURL, 0, 0, &url)) return E_INVALIDARG;

        const pal::ComPtr<IUploadProgressCallback> callback(lpProgressCallback);
        const auto report = [&](tagUPLOADSTATE state, DWORD done) {
            return callback ? callback->UploadProgress(state, dwDataSize, done) : S_OK;
        };
        pal::WideString reply;
        const auto answer = [&](HRESULT result) {
            if (result == E_ABORT) reply = W("Aborted");
            *lpbstrReply = SysAllocStringLen(reply.data(), static_cast<UINT>(reply.size()));
            return result;
        };
        if (report(UPLOADSTATE_START, 0) == E_ABORT) return answer(E_ABORT);

        bool failed = false;
        bool cancelled = false;
        ChunkBuffers buffers; // freed after the request is closed, when no write can still read them
        pal::UniqueInternet connection(WinHttpConnect(session_.get(), hostName, url.nPort, 0));
        if (connection) orvana::DiscoverProxy(*proxySettings_, session_.get(), lpszUploadURL);

        // A time the calendar cannot hold fails the upload like any other step.
        std::optional<pal::WideString> objectPath;
        try {
            objectPath = ObjectPath(urlPath, lpszFileName, ftModified);
        } catch (const pal::HResultError&) {
        }

        pal::UniqueInternet request;
        if (connection && objectPath) {
            request.reset(WinHttpOpenRequest(connection.get(), W("POST"), objectPath->c_str(), nullptr,
                                             WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                             WINHTTP_FLAG_REFRESH |
                                                 (url.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)));
        }
        failed = !request;

        if (!failed) {
            const pal::WideString contentType = orvana::LookupContentType(lpszFileName).value_or(W("image/jpeg"));
            failed = !AddHeader(request.get(), W("X-Zenfolio-Token: ") + client_.token) ||
                     !AddHeader(request.get(), W("Content-Type: ") + contentType) ||
                     (!Empty(lpszSourceMD5Base64) &&
                      !AddHeader(request.get(), pal::WideString(W("Content-MD5: ")) + lpszSourceMD5Base64));
            if (!failed) {
                const orvana::UnscrambledText line(kUploadHeaderRecord);
                failed = !line.Get() || !AddHeader(request.get(), line.Get());
            }
        }

        if (!failed) {
            WinHttpSetStatusCallback(request.get(), &CZenfolioProxy::UploadStatusCallback,
                                     WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0);
            counters_.ResetWrittenAndError();
            // An upload cancelled mid-body leaves its last write's completion
            // set, unwaited for: it must not pass for this request's.
            completion_.Reset();
            const bool started = orvana::SendWithProxyFailover(*proxySettings_, request.get(), dwDataSize,
                                                               reinterpret_cast<DWORD_PTR>(this));
            if (report(UPLOADSTATE_STARTIMAGE, 0) == E_ABORT)
                cancelled = true;
            else if (!started)
                failed = true;
            else
                StreamBody(request.get(), lpSource, dwDataSize, report, buffers, failed, cancelled);
        }

        if (!failed && !cancelled) ReceiveReply(request.get(), reply, failed);

        if (report(UPLOADSTATE_END, counters_.Written()) == E_ABORT) cancelled = true;
        request.reset();
        connection.reset();
        return answer(cancelled ? E_ABORT : failed ? E_FAIL : S_OK);
    });
}

void CZenfolioProxy::StreamBody(HINTERNET request, ISequentialStream* source, DWORD size,
                                const std::function<HRESULT(tagUPLOADSTATE, DWORD)>& report, ChunkBuffers& buffers,
                                bool& failed, bool& cancelled)
{
    const DWORD chunk = size < kChunkSize ? size : kChunkSize;
    buffers[0].reset(new (std::nothrow) BYTE[chunk]);
    buffers[1].reset(new (std::nothrow) BYTE[chunk]);
    failed = !buffers[0] || !buffers[1];
    bool sourceEnded = false;
    DWORD handed = 0; // bytes given to the transport so far
    for (int current = 0; !failed && !cancelled && counters_.Written() < size;) {
        if (sourceEnded) {
            // Nothing more will come: a short source or a failed write ends the upload now
            // rather than never. The wait ends early when the transport confirms more bytes
            // and leaves the completion event to the next step.
            if (handed < size || counters_.Error()) {
                failed = true;
                break;
            }
            counters_.WaitForWrittenBeyond(counters_.Written(), kDrainPass);
            continue;
        }
        ULONG read = 0;
        const HRESULT hr = source->Read(buffers[current].get(), chunk, &read);
        if (read == 0) {
            sourceEnded = true;
            continue;
        }
        if (FAILED(hr)) {
            failed = true; // those bytes are not sent
            break;
        }
        if (!WaitForCompletion() || !WinHttpWriteData(request, buffers[current].get(), read, nullptr)) {
            failed = true;
            break;
        }
        handed += read;
        if (report(UPLOADSTATE_IMAGE, counters_.Written()) == E_ABORT) cancelled = true;
        current ^= 1;
    }
    HRESULT last = report(UPLOADSTATE_IMAGE, counters_.Written());
    if (SUCCEEDED(last)) last = report(UPLOADSTATE_ENDIMAGE, counters_.Written());
    if (last == E_ABORT) cancelled = true;
}

void CZenfolioProxy::ReceiveReply(HINTERNET request, pal::WideString& reply, bool& failed)
{
    if (!WaitForCompletion() || !WinHttpReceiveResponse(request, nullptr) || !WaitForCompletion()) {
        failed = true;
        return;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
        reply = pal::FormatWide(W("Communication error (%d) - Unexpected reply from server."),
                                static_cast<int>(GetLastError()));
        failed = true;
        return;
    }
    // The status is not judged: an error page is the caller's to read.
    std::string bytes;
    for (DWORD available = 1; available != 0;) {
        counters_.ResetAvailable();
        if (!WinHttpQueryDataAvailable(request, nullptr) || !WaitForCompletion()) {
            failed = true;
            break;
        }
        available = counters_.Available();
        if (available == 0) break;
        std::unique_ptr<char[]> part(new (std::nothrow) char[available + 1]());
        if (!part || !WinHttpReadData(request, part.get(), available, nullptr) || !WaitForCompletion()) {
            failed = true;
            break;
        }
        // up to the first zero byte
        bytes.append(part.get(), std::find(part.get(), part.get() + available, '\0'));
    }
    reply = ReplyText(bytes);
}
