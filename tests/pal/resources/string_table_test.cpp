#include "pal/resources/resources.h"
#include "pal/this_module.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Load(UINT id, HINSTANCE module = pal::ThisModule())
{
    std::u16string buffer(256, u'#');
    const int length = LoadStringW(module, id, buffer.data(), 256);
    EXPECT_EQ(buffer[static_cast<std::size_t>(length)], u'\0');
    return buffer.substr(0, static_cast<std::size_t>(length));
}

TEST(LoadString, CopiesTheExactTextWhenItFits)
{
    EXPECT_EQ(Load(1), u"Plain text");
    EXPECT_EQ(Load(3), u"Quotes \"inside\" stay");
    EXPECT_EQ(Load(4), u"Grüße: ✓ 😀 é1 \\ tab\tend");
    EXPECT_EQ(Load(65535), u"Highest number");
    EXPECT_EQ(Load(1, nullptr), u"Plain text") << "a null instance reads this module";
}

TEST(LoadString, CutsTheTextToTheBufferAndTerminatesIt)
{
    char16_t buffer[6] = u"#####";
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 1, buffer, 5), 4);
    EXPECT_EQ(std::u16string(buffer), u"Plai");
    EXPECT_EQ(buffer[5], u'\0') << "nothing written past the given size";

    char16_t one[2] = {u'#', u'#'};
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 1, one, 1), 0);
    EXPECT_EQ(one[0], u'\0');
    EXPECT_EQ(one[1], u'#');
}

TEST(LoadString, WithSizeZeroAnswersAReadOnlyPointerToTheText)
{
    const char16_t* text = nullptr;
    const int length = LoadStringW(pal::ThisModule(), 3, reinterpret_cast<LPWSTR>(&text), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string_view(text, static_cast<std::size_t>(length)), u"Quotes \"inside\" stay");

    const char16_t* again = nullptr;
    LoadStringW(pal::ThisModule(), 3, reinterpret_cast<LPWSTR>(&again), 0);
    EXPECT_EQ(again, text) << "the pointer names the module's own copy";
}

TEST(LoadString, AnswersZeroForAMissingOrEmptyStringOrABadBuffer)
{
    char16_t buffer[8] = u"#######";
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 6, buffer, 8), 0);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 5, buffer, 8), 0) << "an empty string reads like a missing one";

    const char16_t* text = u"untouched";
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 6, reinterpret_cast<LPWSTR>(&text), 0), 0);
    EXPECT_EQ(std::u16string_view(text), u"untouched");

    buffer[0] = u'#';
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 1, nullptr, 4), 0) << "a null buffer";
    EXPECT_EQ(LoadStringW(pal::ThisModule(), 1, buffer, -1), 0) << "a negative size";
    EXPECT_EQ(buffer[0], u'#');
}

} // namespace
