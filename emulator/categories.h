#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace emulator {

// One entry of the service's fixed category tree. A code reads as nine
// decimal digits cccsssddd (category, subcategory, details); leading zeros
// are lost because codes travel as integers.
struct Category {
    std::int64_t code;
    std::string_view display_name;
};

std::span<const Category> Categories();
bool IsKnownCategory(std::int64_t code);

} // namespace emulator
