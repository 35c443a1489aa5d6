#include "pal/http/http_transfer.h"

#include "pal/http/curl_error.h"
#include "pal/http/curl_handles.h"
#include "pal/http/header_text.h"
#include "pal/http/http_diagnostics.h"

#include <algorithm>
#include <climits>
#include <new>

namespace pal::http {

namespace {

bool HasHeader(const TransferRequest& request, std::string_view name)
{
    for (const auto& [headerName, value] : request.headers) {
        if (EqualsIgnoringAsciiCase(headerName, name)) return true;
    }
    return false;
}

// What the callbacks fill in; they must not throw into libcurl.
struct Receiver {
    TransferResponse& response;
    bool outOfMemory = false;
};

size_t ReceiveBody(char* data, size_t size, size_t count, void* context)
{
    auto* receiver = static_cast<Receiver*>(context);
    try {
        receiver->response.body.append(data, size * count);
        return size * count;
    } catch (const std::bad_alloc&) {
        receiver->outOfMemory = true;
        return 0;
    }
}

// Each reply (a proxy's CONNECT answer, an interim 100, a redirect) starts
// with its status line; only the last one's lines are kept.
size_t ReceiveHeader(char* data, size_t size, size_t count, void* context)
{
    auto* receiver = static_cast<Receiver*>(context);
    TransferResponse& response = receiver->response;
    const std::string_view raw(data, size * count);
    try {
        if (raw.starts_with("HTTP/")) {
            response.headerLines.clear();
            response.statusText.clear();
            std::string_view rest = TrimHeaderText(raw);
            rest.remove_prefix(std::min(rest.size(), rest.find(' ')));
            rest = TrimHeaderText(rest);
            const auto space = rest.find(' ');
            if (space != std::string_view::npos) response.statusText = TrimHeaderText(rest.substr(space + 1));
        } else if ((raw.starts_with(' ') || raw.starts_with('\t')) && !response.headerLines.empty()) {
            response.headerLines.back().append(" ").append(TrimHeaderText(raw));
        } else if (const std::string_view line = TrimHeaderText(raw); !line.empty()) {
            response.headerLines.emplace_back(line);
        }
        return size * count;
    } catch (const std::bad_alloc&) {
        receiver->outOfMemory = true;
        return 0;
    }
}

HRESULT Exchange(const TransferRequest& request, TransferResponse& response)
{
    response = {};
    CurlEasy easy = NewCurlEasy();
    if (!easy) return E_OUTOFMEMORY;
    CURL* curl = easy.get();

    // Each header exactly as given; "Name;" is libcurl's way to send an empty value.
    CurlHeaderList headers;
    bool listed = true;
    for (const auto& [name, value] : request.headers)
        listed = listed && headers.Append(value.empty() ? name + ";" : name + ": " + value);
    // "Name:" lines remove what libcurl would add on its own.
    if (!HasHeader(request, "Expect")) listed = listed && headers.Append("Expect:");
    if (request.body && !HasHeader(request, "Content-Type")) listed = listed && headers.Append("Content-Type:");
    if (!listed) return E_OUTOFMEMORY;

    Receiver receiver{response};
    const std::string proxy = request.proxy.empty() ? std::string() : "http://" + request.proxy;

    CURLcode rc = CURLE_OK;
    const auto set = [&rc](CURLcode result) {
        if (rc == CURLE_OK) rc = result;
    };
    set(curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L));
    set(curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L));
    set(curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    set(curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L));
    // Always explicit, so libcurl never falls back on its own reading of the environment.
    set(curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str()));
    set(curl_easy_setopt(curl, CURLOPT_NOPROXY, ""));
    set(curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP)));
    set(curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.Get()));
    set(curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &ReceiveBody));
    set(curl_easy_setopt(curl, CURLOPT_WRITEDATA, static_cast<void*>(&receiver)));
    set(curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &ReceiveHeader));
    set(curl_easy_setopt(curl, CURLOPT_HEADERDATA, static_cast<void*>(&receiver)));
    // libcurl has no "no limit" for connecting (0 means its own 300 s).
    set(curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(request.connectTimeout > 0 ? request.connectTimeout : INT_MAX)));
    if (request.stallTimeout > 0) {
        set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L));
        set(curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>((request.stallTimeout + 999) / 1000)));
    }
    if (request.user) {
        set(curl_easy_setopt(curl, CURLOPT_USERNAME, request.user->c_str()));
        set(curl_easy_setopt(curl, CURLOPT_PASSWORD, request.password.value_or("").c_str()));
        set(curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY)));
    }
    if (request.method == "HEAD") {
        set(curl_easy_setopt(curl, CURLOPT_NOBODY, 1L));
    } else if (request.body || request.method != "GET") {
        // POST keeps libcurl's POST handling (a 301/302/303 redirect continues as GET).
        const char* body = request.body ? request.body->data() : "";
        const auto size = static_cast<curl_off_t>(request.body ? request.body->size() : 0);
        set(curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, size));
        set(curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body));
        if (request.method != "POST") set(curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str()));
    }
    if (rc != CURLE_OK) return rc == CURLE_OUT_OF_MEMORY ? E_OUTOFMEMORY : E_UNEXPECTED;

    rc = curl_easy_perform(curl);
    if (receiver.outOfMemory || rc == CURLE_OUT_OF_MEMORY) return E_OUTOFMEMORY;
    if (rc != CURLE_OK) return HRESULT_FROM_WIN32(WinHttpErrorFromCurl(rc));
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    return S_OK;
}

void Record(const TransferRequest& request, const TransferResponse& response, HRESULT result) noexcept
{
    try {
        ExchangeRecord record;
        record.method = request.method;
        record.url = request.url;
        record.result = result;
        if (SUCCEEDED(result)) {
            record.status = response.status;
            record.statusText = response.statusText;
            record.contentType = FindHeader(response.headerLines, "Content-Type").value_or("");
            record.body = response.body.substr(0, kDiagnosticBodyBytes);
        }
        RecordExchange(std::move(record));
    } catch (...) {
        // A trace that cannot be kept must not fail the exchange it describes.
    }
}

} // namespace

HRESULT PerformTransfer(const TransferRequest& request, TransferResponse& response)
{
    const HRESULT result = Exchange(request, response);
    if (DiagnosticsOn()) Record(request, response, result);
    return result;
}

std::optional<std::string> FindHeader(const std::vector<std::string>& lines, std::string_view name)
{
    std::optional<std::string> value;
    for (const std::string& line : lines) {
        const auto colon = line.find(':');
        if (colon == std::string::npos ||
            !EqualsIgnoringAsciiCase(TrimHeaderText(std::string_view(line).substr(0, colon)), name))
            continue;
        const std::string_view part = TrimHeaderText(std::string_view(line).substr(colon + 1));
        if (value) {
            value->append(", ").append(part);
        } else {
            value.emplace(part);
        }
    }
    return value;
}

} // namespace pal::http
