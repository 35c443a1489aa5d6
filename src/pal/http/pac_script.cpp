#include "pal/http/pac_script.h"

#include "pal/utf.h"

#include <arpa/inet.h>
#include <cstring>
#include <duktape.h>
#include <ifaddrs.h>
#include <memory>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>

namespace pal::http {

namespace {

// Duktape unwinds with longjmp through the native functions below, so they
// hold nothing with a destructor: plain buffers only.

// The first IPv4 address of host into text; false when there is none.
bool ResolveIpv4(const char* host, char (&text)[INET_ADDRSTRLEN])
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const bool ok = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
    freeaddrinfo(found);
    return ok;
}

duk_ret_t DnsResolve(duk_context* context)
{
    char text[INET_ADDRSTRLEN];
    if (duk_is_string(context, 0) && ResolveIpv4(duk_get_string(context, 0), text)) {
        duk_push_string(context, text);
    } else {
        duk_push_null(context);
    }
    return 1;
}

// The first IPv4 address of an interface that is up and not loopback, read
// from the interfaces rather than by resolving our own name or sending
// anything; 127.0.0.1 when there is none.
duk_ret_t MyIpAddress(duk_context* context)
{
    char text[INET_ADDRSTRLEN] = "127.0.0.1";
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0) {
        for (const ifaddrs* i = interfaces; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
                (i->ifa_flags & IFF_LOOPBACK))
                continue;
            const auto* address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) break;
        }
        freeifaddrs(interfaces);
    }
    duk_push_string(context, text);
    return 1;
}

struct HeapDeleter {
    void operator()(duk_context* context) const noexcept { duk_destroy_heap(context); }
};
using Heap = std::unique_ptr<duk_context, HeapDeleter>;

void DefineNative(duk_context* context, const char* name, duk_c_function function, duk_idx_t arguments)
{
    duk_push_c_function(context, function, arguments);
    duk_put_global_string(context, name);
}

std::string_view Trim(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

} // namespace

std::string FindProxyForUrl(std::string_view script, std::string_view url, std::string_view host)
{
    // The default fatal handler aborts; it is only reached for an error
    // outside a protected call, which means memory ran out mid-push.
    const Heap heap(duk_create_heap_default());
    if (!heap) throw std::bad_alloc();
    duk_context* context = heap.get();
    DefineNative(context, "dnsResolve", DnsResolve, 1);
    DefineNative(context, "myIpAddress", MyIpAddress, 0);
    if (duk_peval_string_noresult(context, kPacHelperFunctions) != 0)
        throw PacScriptError("the helper functions do not run");
    if (duk_peval_lstring_noresult(context, script.data(), script.size()) != 0)
        throw PacScriptError("the script does not compile or run");
    if (!duk_get_global_string(context, "FindProxyForURL") || !duk_is_function(context, -1))
        throw PacScriptError("the script defines no FindProxyForURL");
    duk_push_lstring(context, url.data(), url.size());
    duk_push_lstring(context, host.data(), host.size());
    if (duk_pcall(context, 2) != DUK_EXEC_SUCCESS) throw PacScriptError("FindProxyForURL threw");
    if (!duk_is_string(context, -1)) throw PacScriptError("FindProxyForURL answered no string");
    duk_size_t length = 0;
    const char* answer = duk_get_lstring(context, -1, &length);
    return std::string(answer, length);
}

std::u16string ProxyListFromPacAnswer(std::string_view answer)
{
    std::u16string list;
    while (!answer.empty()) {
        const auto end = answer.find(';');
        const std::string_view entry = Trim(answer.substr(0, end));
        answer.remove_prefix(end == std::string_view::npos ? answer.size() : end + 1);
        const auto space = entry.find_first_of(" \t");
        const std::string keyword = Upper(entry.substr(0, space));
        if (keyword == "DIRECT") break;
        if (space == std::string_view::npos) continue;
        // HTTPS names a proxy reached over TLS; it is used as a plain HTTP proxy.
        if (keyword != "PROXY" && keyword != "HTTP" && keyword != "HTTPS") continue;
        const std::string_view address = Trim(entry.substr(space));
        if (address.empty()) continue;
        if (!list.empty()) list += u';';
        list += ToUtf16(address);
    }
    return list;
}

} // namespace pal::http
