#include "pal/http/automatic_proxy.h"

#include "pal/http/http_transfer.h"
#include "pal/http/pac_script.h"
#include "pal/http/winhttp.h"
#include "pal/proxy/automatic_proxy_config.h"
#include "pal/proxy/url_parts.h"
#include "pal/utf.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>

namespace pal::http {

namespace {

using Clock = std::chrono::steady_clock;

// Discovery runs before every upload's first request, and failover asks again;
// a short life spares the script server those repeats yet picks up an edit soon.
constexpr auto kScriptLifetime = std::chrono::seconds(60);
constexpr std::size_t kMaxCachedScripts = 8;
constexpr int kFetchTimeoutMs = 10'000;
// A script is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxScriptBytes = 1 << 20;

// The name network-wide detection asks DNS for, resolved through the search
// domains like any short name.
constexpr const char16_t* kDetectionUrl = u"http://wpad/wpad.dat";

struct CachedScript {
    std::string text;
    Clock::time_point fetched;
};

std::mutex g_scriptsMutex;
std::map<std::string, CachedScript> g_scripts;

std::optional<std::string> CachedScriptFor(const std::string& url)
{
    std::lock_guard lock(g_scriptsMutex);
    const auto found = g_scripts.find(url);
    if (found == g_scripts.end() || Clock::now() - found->second.fetched > kScriptLifetime) return std::nullopt;
    return found->second.text;
}

void RememberScript(const std::string& url, const std::string& text)
{
    std::lock_guard lock(g_scriptsMutex);
    const auto now = Clock::now();
    std::erase_if(g_scripts, [&](const auto& entry) { return now - entry.second.fetched > kScriptLifetime; });
    if (g_scripts.size() >= kMaxCachedScripts) g_scripts.erase(g_scripts.begin());
    g_scripts[url] = {text, now};
}

// The script's text, null when it cannot be fetched: not http(s), no reply,
// an error status or an oversized body. Always direct: the script is what
// says which proxy to use.
std::optional<std::string> FetchScript(std::u16string_view scriptUrl)
{
    const auto parts = SplitUrl(scriptUrl);
    if (!parts || (parts->scheme != u"http" && parts->scheme != u"https")) return std::nullopt;
    TransferRequest request;
    request.method = "GET";
    request.url = ToUtf8(scriptUrl);
    if (auto cached = CachedScriptFor(request.url)) return cached;
    request.connectTimeout = kFetchTimeoutMs;
    request.stallTimeout = kFetchTimeoutMs;
    TransferResponse response;
    const HRESULT hr = PerformTransfer(request, response);
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr) || response.status < 200 || response.status > 299 || response.body.size() > kMaxScriptBytes)
        return std::nullopt;
    RememberScript(request.url, response.body);
    return std::move(response.body);
}

AutomaticAnswer Evaluate(const std::string& script, std::u16string_view url)
{
    const auto parts = SplitUrl(url);
    if (!parts) return {ERROR_WINHTTP_INVALID_URL, {}};
    try {
        const std::string answer = FindProxyForUrl(script, ToUtf8(url), ToUtf8(parts->host));
        return {0, ProxyListFromPacAnswer(answer)};
    } catch (const PacScriptError&) {
        return {ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT, {}};
    }
}

} // namespace

AutomaticAnswer ProxyFromScript(std::u16string_view scriptUrl, std::u16string_view url)
{
    const auto script = FetchScript(scriptUrl);
    if (!script) return {ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT, {}};
    return Evaluate(*script, url);
}

AutomaticAnswer DetectProxy(DWORD autoDetectFlags, std::u16string_view url)
{
    if (auto list = DetectedProxyListForTesting()) return {0, std::move(*list)};
    const auto config = ReadAutomaticProxyConfig();
    // There is no DHCP client to ask for option 252 here, so DNS is the only way.
    if (!config || !config->autoDetect || !(autoDetectFlags & WINHTTP_AUTO_DETECT_TYPE_DNS_A))
        return {ERROR_WINHTTP_AUTODETECTION_FAILED, {}};
    const auto script = FetchScript(kDetectionUrl);
    if (!script) return {ERROR_WINHTTP_AUTODETECTION_FAILED, {}};
    return Evaluate(*script, url);
}

} // namespace pal::http
