// Small text rules of HTTP header lines, shared by the transfers.
#pragma once

#include <algorithm>
#include <string_view>

namespace pal::http {

// Without the spaces, tabs and line ends around it.
inline std::string_view TrimHeaderText(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A character of an HTTP token (header names, methods).
inline bool IsTokenCharacter(char32_t c)
{
    return c > 0x20 && c < 0x7F &&
           std::string_view("()<>@,;:\\\"/[]?={}").find(static_cast<char>(c)) == std::string_view::npos;
}

// Header names and parameter names compare without ASCII case.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace pal::http
