// Texts of the component's string table, by number.
#pragma once

#include "pal/base/types.h"

#include <optional>
#include <string>

namespace orvana {

// The text, or nothing when the number is not in the table.
std::optional<std::u16string> TryLoadComponentString(UINT id);
// The text, or "?" when the number is not in the table.
std::u16string ComponentString(UINT id);

} // namespace orvana
