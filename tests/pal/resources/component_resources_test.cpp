// The component's texts as the component reads them; its version and icon are
// read through the component itself in the publisher tests.
#include "pal/resources/resources.h"
#include "pal/this_module.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string String(UINT id)
{
    const char16_t* text = nullptr;
    const int length = LoadStringW(pal::ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::u16string(text, static_cast<std::size_t>(length)) : std::u16string();
}

TEST(ComponentStrings, CoverEveryNumberTheComponentLoadsAndKeepQuotesBlanksAndPlaceholders)
{
    const UINT numbers[] = {99,    100,   102,   103,   107,   109,   110,   111,   112,   113,   116,   117,
                            118,   119,   120,   121,   124,   125,   126,   127,   129,   130,   131,   132,
                            133,   134,   135,   136,   137,   138,   139,   140,   141,   200,   201,   203,
                            204,   205,   500,   501,   502,   503,   504,   506,   507,   508,   509,   510,
                            10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 10009, 10010, 10011};
    for (const UINT id : numbers)
        EXPECT_FALSE(String(id).empty()) << "string " << id;
    EXPECT_EQ(String(116), u"Publish to %ls. %ls. <a id=\"settings\" href=\"parameters\">Settings...</a>");
    EXPECT_EQ(String(508), u"Could not publish \"%ls\" (Error code: 0x%08lx) %ls");
    EXPECT_EQ(String(125), u" px");
}

} // namespace
