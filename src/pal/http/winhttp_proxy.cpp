// The user's proxy configuration and automatic proxy discovery.
#include "pal/global_string.h"
#include "pal/http/internet_handle.h"
#include "pal/proxy/url_parts.h"
#include "pal/proxy/user_proxy_config.h"
#include "pal/unique_internet.h"
#include "pal/utf.h"

#include <new>

namespace {

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

} // namespace

STDAPI_(BOOL) WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* pProxyConfig)
{
    if (!pProxyConfig) return Fail(ERROR_INVALID_PARAMETER);
    *pProxyConfig = {};
    try {
        const auto config = pal::ReadUserProxyConfig();
        if (!config) return Fail(ERROR_FILE_NOT_FOUND);
        pal::http::GlobalString proxy, bypass;
        if (!pal::http::CopyToGlobal(config->proxy, proxy) || !pal::http::CopyToGlobal(config->bypass, bypass))
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        pProxyConfig->fAutoDetect = FALSE;
        pProxyConfig->lpszAutoConfigUrl = nullptr;
        pProxyConfig->lpszProxy = proxy.release();
        pProxyConfig->lpszProxyBypass = bypass.release();
        return TRUE;
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

STDAPI_(BOOL)
WinHttpGetProxyForUrl(HINTERNET hSession, LPCWSTR lpcwszUrl, WINHTTP_AUTOPROXY_OPTIONS* pAutoProxyOptions,
                      WINHTTP_PROXY_INFO* pProxyInfo)
{
    if (!pal::http::FindHandleOf<pal::http::Session>(hSession)) return FALSE;
    if (!lpcwszUrl || !pAutoProxyOptions || !pProxyInfo) return Fail(ERROR_INVALID_PARAMETER);
    const DWORD flags = pAutoProxyOptions->dwFlags;
    const bool detect = (flags & WINHTTP_AUTOPROXY_AUTO_DETECT) != 0;
    const bool script = (flags & WINHTTP_AUTOPROXY_CONFIG_URL) != 0;
    if ((!detect && !script) || (detect && pAutoProxyOptions->dwAutoDetectFlags == 0) ||
        (script && !pAutoProxyOptions->lpszAutoConfigUrl))
        return Fail(ERROR_INVALID_PARAMETER);
    try {
        const auto url = pal::SplitUrl(std::u16string_view(lpcwszUrl, pal::WideLength(lpcwszUrl)));
        if (!url) return Fail(ERROR_WINHTTP_INVALID_URL);
        if (url->scheme != u"http" && url->scheme != u"https") return Fail(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    // No discovery service and no script engine here. With both asked for, the
    // script is what is tried last, so its failure is the one reported.
    return Fail(script ? ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT : ERROR_WINHTTP_AUTODETECTION_FAILED);
}
