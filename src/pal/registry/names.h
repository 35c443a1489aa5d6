// Key and value names as the hives store them, and the checks a name or a
// subkey path passes before any hive is touched.
#pragma once

#include "../base/types.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pal::registry {

// Windows' limits, in UTF-16 code units.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

struct Name {
    std::string text;   // UTF-8, in the case it was written with
    std::string folded; // UTF-8 of the case-folded name: the name's identity
};

Name MakeName(std::u16string_view text);

// The names along a subkey path; null or empty names the key itself. A
// trailing backslash is accepted, as on Windows. A leading backslash or an
// empty component fails with ERROR_BAD_PATHNAME, a name over 255 characters
// with ERROR_INVALID_PARAMETER.
std::vector<Name> ParseKeyPath(LPCWSTR path);

// A value name; null or empty names the default value.
Name ParseValueName(LPCWSTR name);

// Copies a stored name and its terminator into a caller's buffer of *count
// characters and sets *count to the name's length. When it does not fit the
// buffer is left alone and *count is set to the size needed, terminator
// included (Windows leaves that size unspecified; a retry with it succeeds).
bool WriteName(const std::string& name, LPWSTR buffer, LPDWORD count);

// "A\B" for diagnostics.
std::u16string JoinKeyPath(std::u16string_view base, LPCWSTR subKey);

} // namespace pal::registry
