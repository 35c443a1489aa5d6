#include "emulator/categories.h"

#include <algorithm>
#include <array>

namespace emulator {
namespace {

constexpr std::array kCategories{
    Category{1000000, "Animals"},
    Category{1001000, "Birds"},
    Category{1001001, "Birds of Prey"},
    Category{1001002, "Songbirds"},
    Category{1001003, "Waterfowl"},
    Category{1002000, "Mammals"},
    Category{1002001, "Wildlife"},
    Category{1002002, "Marine Mammals"},
    Category{1003000, "Pets"},
    Category{1003001, "Cats"},
    Category{1003002, "Dogs"},
    Category{1003003, "Horses"},
    Category{2000000, "Architecture"},
    Category{2001000, "Buildings"},
    Category{2001001, "Churches and Temples"},
    Category{2001002, "Skyscrapers"},
    Category{2002000, "Bridges"},
    Category{2003000, "Interiors"},
    Category{3000000, "Events"},
    Category{3001000, "Weddings"},
    Category{3001001, "Ceremony"},
    Category{3001002, "Reception"},
    Category{3002000, "Concerts"},
    Category{3003000, "Sports Events"},
    Category{3003001, "Football"},
    Category{3003002, "Motorsport"},
    Category{4000000, "Nature"},
    Category{4001000, "Landscapes"},
    Category{4001001, "Mountains"},
    Category{4001002, "Deserts"},
    Category{4001003, "Coastlines"},
    Category{4002000, "Flowers and Plants"},
    Category{4003000, "Weather"},
    Category{4003001, "Storms"},
    Category{4003002, "Sunsets"},
    Category{5000000, "People"},
    Category{5001000, "Portraits"},
    Category{5001001, "Children"},
    Category{5001002, "Families"},
    Category{5002000, "Fashion"},
    Category{5003000, "Street"},
    Category{12000000, "Travel and Places"},
    Category{12001000, "Africa"},
    Category{12001001, "Egypt"},
    Category{12001002, "Kenya"},
    Category{12001003, "Morocco"},
    Category{12002000, "Americas"},
    Category{12002001, "Canada"},
    Category{12002002, "Mexico"},
    Category{12002003, "United States"},
    Category{12003000, "Asia"},
    Category{12003001, "India"},
    Category{12003002, "Japan"},
    Category{12003003, "Nepal"},
    Category{12003004, "Thailand"},
    Category{12003005, "Vietnam"},
    Category{12003006, "China"},
    Category{12004000, "Europe"},
    Category{12004001, "France"},
    Category{12004002, "Italy"},
    Category{12004003, "Norway"},
    Category{12004004, "Spain"},
    Category{12005000, "Oceania"},
    Category{12005001, "Australia"},
    Category{12005002, "New Zealand"},
};

} // namespace

std::span<const Category> Categories()
{
    return kCategories;
}

bool IsKnownCategory(std::int64_t code)
{
    return std::any_of(kCategories.begin(), kCategories.end(), [code](const Category& c) { return c.code == code; });
}

} // namespace emulator
