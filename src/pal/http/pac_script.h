// Proxy auto-configuration scripts: FindProxyForURL run in a Duktape heap of
// its own per call (so calls on different threads share nothing), with the
// usual helper functions (isInNet, shExpMatch, dnsResolve, ...) defined first.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pal::http {

// The script did not compile, threw, had no FindProxyForURL, or that function
// answered something other than a string.
class PacScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What FindProxyForURL(url, host) answers, e.g. "PROXY a:1; DIRECT".
std::string FindProxyForUrl(std::string_view script, std::string_view url, std::string_view host);

// A script's answer as a proxy list: "PROXY a:1; HTTPS b:2; DIRECT" gives
// "a:1;b:2". Entries after the first DIRECT are dropped, so a leading DIRECT
// (or an answer with no usable entry) gives "", meaning direct. SOCKS and
// unknown entries are left out: only HTTP proxies can be used here.
std::u16string ProxyListFromPacAnswer(std::string_view answer);

// The helper functions' source, defined before the script runs.
extern const char* const kPacHelperFunctions;

} // namespace pal::http
