// The user's proxy configuration and automatic proxy discovery.
#include "pal/global_string.h"
#include "pal/http/automatic_proxy.h"
#include "pal/http/internet_handle.h"
#include "pal/proxy/automatic_proxy_config.h"
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
        const auto manual = pal::ReadUserProxyConfig();
        const auto automatic = pal::ReadAutomaticProxyConfig();
        if (!manual && !automatic) return Fail(ERROR_FILE_NOT_FOUND);
        pal::http::GlobalString script, proxy, bypass;
        if (!pal::http::CopyToGlobal(automatic ? automatic->scriptUrl : std::nullopt, script) ||
            !pal::http::CopyToGlobal(manual ? manual->proxy : std::nullopt, proxy) ||
            !pal::http::CopyToGlobal(manual ? manual->bypass : std::nullopt, bypass))
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        pProxyConfig->fAutoDetect = automatic && automatic->autoDetect ? TRUE : FALSE;
        pProxyConfig->lpszAutoConfigUrl = script.release();
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
        const std::u16string_view url(lpcwszUrl, pal::WideLength(lpcwszUrl));
        const auto parts = pal::SplitUrl(url);
        if (!parts) return Fail(ERROR_WINHTTP_INVALID_URL);
        if (parts->scheme != u"http" && parts->scheme != u"https") return Fail(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);

        // Detection first, then the script; with both, a failed script is the error reported.
        pal::http::AutomaticAnswer answer;
        if (detect) answer = pal::http::DetectProxy(pAutoProxyOptions->dwAutoDetectFlags, url);
        if (script && (!detect || answer.error != 0)) {
            const LPCWSTR scriptUrl = pAutoProxyOptions->lpszAutoConfigUrl;
            answer = pal::http::ProxyFromScript(std::u16string_view(scriptUrl, pal::WideLength(scriptUrl)), url);
        }
        if (answer.error != 0) return Fail(answer.error);

        pal::http::GlobalString proxy;
        if (!answer.proxyList.empty() && !(proxy = pal::http::CopyToGlobal(answer.proxyList)))
            return Fail(ERROR_NOT_ENOUGH_MEMORY);
        pProxyInfo->dwAccessType = proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY;
        pProxyInfo->lpszProxy = proxy.release();
        pProxyInfo->lpszProxyBypass = nullptr;
        return TRUE;
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}
