// The WinHTTP request functions of asynchronous sessions: connections,
// requests and the status callback (see async_request.h).
#include "pal/http/async_request.h"
#include "pal/http/header_text.h"
#include "pal/http/session_worker.h"
#include "pal/utf.h"

#include <algorithm>
#include <new>

namespace {

using pal::http::Connection;
using pal::http::InternetObject;
using pal::http::Request;
using pal::http::Session;

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

std::u16string_view Text(LPCWSTR text, DWORD length)
{
    if (!text) return {};
    return length == static_cast<DWORD>(-1) ? std::u16string_view(text, pal::WideLength(text))
                                            : std::u16string_view(text, length);
}

bool IsToken(std::u16string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char16_t c) { return pal::http::IsTokenCharacter(c); });
}

template <typename Call> auto Guarded(Call call) -> decltype(call())
{
    try {
        return call();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return {};
    }
}

} // namespace

pal::http::Session::~Session()
{
    if (worker) worker->Stop();
}

STDAPI_(HINTERNET)
WinHttpConnect(HINTERNET hSession, LPCWSTR pswzServerName, INTERNET_PORT nServerPort, DWORD dwReserved)
{
    return Guarded([&]() -> HINTERNET {
        const auto session = pal::http::FindHandleOf<Session>(hSession);
        if (!session) return nullptr;
        if (!pswzServerName || !*pswzServerName || dwReserved != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        auto connection = std::make_shared<Connection>();
        connection->session = session;
        connection->host = std::u16string(pswzServerName, pal::WideLength(pswzServerName));
        connection->port = nServerPort;
        {
            const std::lock_guard lock(session->mutex);
            if (session->async && !session->worker) session->worker = pal::http::SessionWorker::Start();
            if (session->async && !session->worker) {
                SetLastError(ERROR_WINHTTP_INTERNAL_ERROR);
                return nullptr;
            }
            connection->proxy = session->proxy;
            connection->timeouts = session->timeouts;
            connection->statusCallback = session->statusCallback;
        }
        HINTERNET handle = pal::http::AddHandle(std::move(connection));
        if (!handle) SetLastError(ERROR_WINHTTP_OUT_OF_HANDLES);
        return handle;
    });
}

STDAPI_(HINTERNET)
WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName, LPCWSTR pwszVersion,
                   LPCWSTR pwszReferrer, LPCWSTR* ppwszAcceptTypes, DWORD dwFlags)
{
    return Guarded([&]() -> HINTERNET {
        const auto connection = pal::http::FindHandleOf<Connection>(hConnect);
        if (!connection) return nullptr;
        const std::u16string_view verb = pwszVerb ? Text(pwszVerb, static_cast<DWORD>(-1)) : u"GET";
        const std::u16string_view version = Text(pwszVersion, static_cast<DWORD>(-1));
        constexpr DWORD kKnownFlags = WINHTTP_FLAG_REFRESH | WINHTTP_FLAG_SECURE;
        // Accept types and referrers are not sent: the component asks for neither.
        if (!IsToken(verb) || (!version.empty() && version != u"HTTP/1.1") || (dwFlags & ~kKnownFlags) ||
            (pwszReferrer && *pwszReferrer) || (ppwszAcceptTypes && *ppwszAcceptTypes)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::string path = pal::ToUtf8(pwszObjectName && *pwszObjectName ? Text(pwszObjectName, static_cast<DWORD>(-1))
                                                                         : std::u16string_view(u"/"));
        if (path.front() != '/') path.insert(path.begin(), '/');
        if (path.find_first_of(" \r\n", 0) != std::string::npos) {
            SetLastError(ERROR_WINHTTP_INVALID_URL);
            return nullptr;
        }
        auto request = std::make_shared<Request>(connection, pal::ToUtf8(verb), std::move(path),
                                                 (dwFlags & WINHTTP_FLAG_SECURE) != 0);
        {
            const std::lock_guard lock(connection->mutex);
            request->proxy = connection->proxy;
            request->timeouts = connection->timeouts;
            request->statusCallback = connection->statusCallback;
        }
        HINTERNET handle = pal::http::AddHandle(request);
        if (!handle) {
            SetLastError(ERROR_WINHTTP_OUT_OF_HANDLES);
            return nullptr;
        }
        request->handle = handle;
        return handle;
    });
}

STDAPI_(WINHTTP_STATUS_CALLBACK)
WinHttpSetStatusCallback(HINTERNET hInternet, WINHTTP_STATUS_CALLBACK lpfnInternetCallback, DWORD dwNotificationFlags,
                         DWORD_PTR)
{
    const auto object = pal::http::FindHandleOf<InternetObject>(hInternet);
    if (!object) return WINHTTP_INVALID_STATUS_CALLBACK;
    const std::lock_guard lock(object->mutex);
    const WINHTTP_STATUS_CALLBACK previous = object->statusCallback.callback;
    object->statusCallback = {lpfnInternetCallback, lpfnInternetCallback ? dwNotificationFlags : 0};
    return previous;
}

STDAPI_(BOOL)
WinHttpAddRequestHeaders(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, DWORD dwModifiers)
{
    return Guarded([&]() -> BOOL {
        const auto request = pal::http::FindHandleOf<Request>(hRequest);
        if (!request) return FALSE;
        if (!lpszHeaders) return Fail(ERROR_INVALID_PARAMETER);
        return request->AddHeaders(Text(lpszHeaders, dwHeadersLength), dwModifiers);
    });
}

STDAPI_(BOOL)
WinHttpSendRequest(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                   DWORD dwOptionalLength, DWORD dwTotalLength, DWORD_PTR dwContext)
{
    return Guarded([&]() -> BOOL {
        const auto request = pal::http::FindHandleOf<Request>(hRequest);
        if (!request) return FALSE;
        // The body is written with WinHttpWriteData only; extra headers go through WinHttpAddRequestHeaders.
        if ((lpszHeaders && dwHeadersLength != 0) || lpOptional || dwOptionalLength)
            return Fail(ERROR_INVALID_PARAMETER);
        return request->Send(dwTotalLength, dwContext);
    });
}

STDAPI_(BOOL)
WinHttpWriteData(HINTERNET hRequest, LPCVOID lpBuffer, DWORD dwNumberOfBytesToWrite, LPDWORD lpdwNumberOfBytesWritten)
{
    const auto request = pal::http::FindHandleOf<Request>(hRequest);
    if (!request) return FALSE;
    if (lpdwNumberOfBytesWritten) *lpdwNumberOfBytesWritten = 0; // the count comes with the completion
    return request->Write(lpBuffer, dwNumberOfBytesToWrite);
}

STDAPI_(BOOL) WinHttpReceiveResponse(HINTERNET hRequest, LPVOID lpReserved)
{
    const auto request = pal::http::FindHandleOf<Request>(hRequest);
    if (!request) return FALSE;
    if (lpReserved) return Fail(ERROR_INVALID_PARAMETER);
    return request->ReceiveResponse();
}

STDAPI_(BOOL)
WinHttpQueryHeaders(HINTERNET hRequest, DWORD dwInfoLevel, LPCWSTR pwszName, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                    LPDWORD lpdwIndex)
{
    return Guarded([&]() -> BOOL {
        const auto request = pal::http::FindHandleOf<Request>(hRequest);
        if (!request) return FALSE;
        if (pwszName || (lpdwIndex && *lpdwIndex != 0)) return Fail(ERROR_INVALID_PARAMETER);
        return request->QueryStatus(dwInfoLevel, lpBuffer, lpdwBufferLength);
    });
}

STDAPI_(BOOL) WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD lpdwNumberOfBytesAvailable)
{
    const auto request = pal::http::FindHandleOf<Request>(hRequest);
    if (!request) return FALSE;
    if (lpdwNumberOfBytesAvailable) *lpdwNumberOfBytesAvailable = 0;
    return request->QueryDataAvailable();
}

STDAPI_(BOOL)
WinHttpReadData(HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead, LPDWORD lpdwNumberOfBytesRead)
{
    const auto request = pal::http::FindHandleOf<Request>(hRequest);
    if (!request) return FALSE;
    if (lpdwNumberOfBytesRead) *lpdwNumberOfBytesRead = 0;
    return request->Read(lpBuffer, dwNumberOfBytesToRead);
}
