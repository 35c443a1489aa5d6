// Proxy lists and bypass lists as the system's proxy settings write them, and
// the choice they make for one URL.
//
// A proxy list holds entries separated by ";" or white space, each
// "host[:port]", "http://host[:port]" or, for one scheme only,
// "scheme=host[:port]". A bypass list holds host patterns separated by ";",
// "," or white space (see IsBypassed).
#pragma once

#include "url_parts.h"

#include <string>
#include <string_view>

namespace pal {

// The first entry of the list that serves the scheme, as "host:port" (port 80
// when the entry has none); empty when no entry does.
std::u16string SelectProxy(std::u16string_view proxyList, std::u16string_view scheme);

// True when a pattern of the list names the URL's host:
//   "*"                      every host;
//   "<local>"                host names without a dot;
//   "*.example.com", "10.*"  wildcards, "*" for any run of characters;
//   ".example.com"           example.com and every name under it;
//   "example.com"            the same (as no_proxy reads it);
//   "scheme://" prefix and ":port" suffix restrict a pattern to that scheme and port.
bool IsBypassed(std::u16string_view bypassList, const UrlParts& url);

// The proxy for url ("host:port"), or empty to go direct.
std::u16string ResolveProxy(std::u16string_view proxyList, std::u16string_view bypassList, std::u16string_view url);

} // namespace pal
