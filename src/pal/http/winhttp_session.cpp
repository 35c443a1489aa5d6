// WinHttpOpen, time-outs, the proxy option and closing handles.
#include "pal/global_string.h"
#include "pal/http/internet_handle.h"
#include "pal/unique_internet.h"
#include "pal/utf.h"

#include <new>

namespace {

using pal::http::InternetObject;
using pal::http::ProxyOption;

std::optional<std::u16string> OptionalText(LPCWSTR text)
{
    if (!text) return std::nullopt;
    return std::u16string(text, pal::WideLength(text));
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// WINHTTP_ACCESS_TYPE_NAMED_PROXY needs a proxy; the strings are ignored otherwise.
bool MakeProxyOption(DWORD accessType, LPCWSTR proxy, LPCWSTR bypass, ProxyOption& out)
{
    if (accessType != WINHTTP_ACCESS_TYPE_DEFAULT_PROXY && accessType != WINHTTP_ACCESS_TYPE_NO_PROXY &&
        accessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY)
        return false;
    out = ProxyOption{accessType, std::nullopt, std::nullopt};
    if (accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
        if (!proxy || !*proxy) return false;
        out.proxy = OptionalText(proxy);
        out.bypass = OptionalText(bypass);
    }
    return true;
}

} // namespace

STDAPI_(HINTERNET)
WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR pszProxyW, LPCWSTR pszProxyBypassW, DWORD dwFlags)
{
    try {
        auto session = std::make_shared<pal::http::Session>();
        if ((dwFlags & ~WINHTTP_FLAG_ASYNC) != 0 ||
            !MakeProxyOption(dwAccessType, pszProxyW, pszProxyBypassW, session->proxy)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        session->agent = OptionalText(pszAgentW).value_or(u"");
        session->async = (dwFlags & WINHTTP_FLAG_ASYNC) != 0;
        HINTERNET handle = pal::http::AddHandle(std::move(session));
        if (!handle) SetLastError(ERROR_WINHTTP_OUT_OF_HANDLES);
        return handle;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

STDAPI_(BOOL)
WinHttpSetTimeouts(HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout, int nSendTimeout, int nReceiveTimeout)
{
    const auto object = pal::http::FindHandleOf<InternetObject>(hInternet);
    if (!object) return FALSE;
    if (nResolveTimeout < -1 || nConnectTimeout < -1 || nSendTimeout < -1 || nReceiveTimeout < -1)
        return Fail(ERROR_INVALID_PARAMETER);
    const std::lock_guard lock(object->mutex);
    object->timeouts = {nResolveTimeout, nConnectTimeout, nSendTimeout, nReceiveTimeout};
    return TRUE;
}

STDAPI_(BOOL) WinHttpCloseHandle(HINTERNET hInternet)
{
    const auto object = pal::http::FindHandle(hInternet);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    // A request's transfer stops first, so no callback comes after this returns.
    object->Close();
    if (!pal::http::RemoveHandle(hInternet)) return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}

STDAPI_(BOOL) WinHttpSetOption(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength)
{
    const auto object = pal::http::FindHandleOf<InternetObject>(hInternet);
    if (!object) return FALSE;
    if (dwOption != WINHTTP_OPTION_PROXY) return Fail(ERROR_WINHTTP_INVALID_OPTION);
    if (!lpBuffer || dwBufferLength < sizeof(WINHTTP_PROXY_INFO)) return Fail(ERROR_INVALID_PARAMETER);
    try {
        const auto* info = static_cast<const WINHTTP_PROXY_INFO*>(lpBuffer);
        ProxyOption option;
        if (!MakeProxyOption(info->dwAccessType, info->lpszProxy, info->lpszProxyBypass, option))
            return Fail(ERROR_INVALID_PARAMETER);
        const std::lock_guard lock(object->mutex);
        object->proxy = std::move(option);
        return TRUE;
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

STDAPI_(BOOL) WinHttpQueryOption(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, LPDWORD lpdwBufferLength)
{
    const auto object = pal::http::FindHandleOf<InternetObject>(hInternet);
    if (!object) return FALSE;
    if (dwOption != WINHTTP_OPTION_PROXY) return Fail(ERROR_WINHTTP_INVALID_OPTION);
    if (!lpdwBufferLength) return Fail(ERROR_INVALID_PARAMETER);
    if (!lpBuffer || *lpdwBufferLength < sizeof(WINHTTP_PROXY_INFO)) {
        *lpdwBufferLength = sizeof(WINHTTP_PROXY_INFO);
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    ProxyOption option;
    try {
        const std::lock_guard lock(object->mutex);
        option = object->proxy;
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    pal::http::GlobalString proxy, bypass;
    if (!pal::http::CopyToGlobal(option.proxy, proxy) || !pal::http::CopyToGlobal(option.bypass, bypass))
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    auto* info = static_cast<WINHTTP_PROXY_INFO*>(lpBuffer);
    info->dwAccessType = option.accessType;
    info->lpszProxy = proxy.release();
    info->lpszProxyBypass = bypass.release();
    *lpdwBufferLength = sizeof(WINHTTP_PROXY_INFO);
    return TRUE;
}
