// Texts of the component's string table, by number.
#pragma once

#include "pal/wide_string.h"

#include <optional>
#include <string>
#include <windows.h>

namespace orvana {

// The text, or nothing when the number is not in the table.
std::optional<pal::WideString> TryLoadComponentString(UINT id);
// The text, or "?" when the number is not in the table.
pal::WideString ComponentString(UINT id);

} // namespace orvana
