#pragma once

#include <string>
#include <string_view>

namespace emulator {

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToLower(std::string_view text);
// Strips spaces, tabs, carriage returns and line feeds at both ends.
std::string_view Trim(std::string_view text);
// Well-formed UTF-8 without the control characters XML 1.0 cannot carry.
bool IsXmlSafeUtf8(std::string_view text);

} // namespace emulator
