// The parts of an absolute URL that proxy selection looks at.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pal {

struct UrlParts {
    std::u16string scheme;  // lower case
    std::u16string host;    // lower case, IPv6 literals without brackets
    std::uint16_t port = 0; // the scheme's default (80, 443) when absent; 0 for other schemes
};

// Null for text that is not "scheme://[user@]host[:port][/...]".
std::optional<UrlParts> SplitUrl(std::u16string_view url);

// ASCII lower case; other characters unchanged.
std::u16string AsciiLower(std::u16string_view text);

} // namespace pal
