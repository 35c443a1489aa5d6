#include "pal/base/last_error.h"
#include "pal/locale/number_format.h"
#include "tests/support/locale_test.h"

namespace {

using testing_support::UseLocale;

std::u16string Formatted(LPCWSTR value, const NUMBERFMTW* format, LCID locale = LOCALE_USER_DEFAULT)
{
    WCHAR buffer[64] = {};
    SetLastError(0);
    const int written = GetNumberFormatW(locale, 0, value, format, buffer, 64);
    const std::string error = "error " + std::to_string(GetLastError());
    return written > 0 ? std::u16string(buffer, written - 1) : std::u16string(error.begin(), error.end());
}

// "." and "," separators; Grouping in the NUMBERFMTW form.
std::u16string Custom(LPCWSTR value, UINT digits, UINT grouping, UINT negativeOrder = 1, UINT leadingZero = 1)
{
    static WCHAR dot[] = u".", comma[] = u",";
    const NUMBERFMTW format{digits, leadingZero, grouping, dot, comma, negativeOrder};
    return Formatted(value, &format);
}

TEST(NumberFormat, WithoutAFormatTheUsersLocaleDecidesTheSeparatorsAndDigits)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    EXPECT_EQ(Formatted(u"-1234567.891", nullptr), u"-1,234,567.89");
    ASSERT_TRUE(UseLocale("fr_FR.UTF-8"));
    EXPECT_EQ(Formatted(u"1234.5", nullptr), u"1\u202F234,50");
}

TEST(NumberFormat, EveryGroupingForm)
{
    EXPECT_EQ(Custom(u"1234567890", 0, 3), u"1,234,567,890");
    EXPECT_EQ(Custom(u"1234567890", 0, 32), u"1,23,45,67,890");
    EXPECT_EQ(Custom(u"1234567890", 0, 30), u"1234567,890") << "the first group only";
    EXPECT_EQ(Custom(u"1234567890", 0, 320), u"12345,67,890");
    EXPECT_EQ(Custom(u"1234567890", 0, 0), u"1234567890");
    EXPECT_EQ(Custom(u"0001234", 0, 3), u"1,234") << "leading zeros are no digits";
}

TEST(NumberFormat, RoundsHalfAwayFromZeroPadsTheFractionAndPlacesTheSign)
{
    EXPECT_EQ(Custom(u"1.005", 2, 3), u"1.01");
    EXPECT_EQ(Custom(u"1.00499", 2, 3), u"1.00");
    EXPECT_EQ(Custom(u"-2.5", 0, 3), u"-3");
    EXPECT_EQ(Custom(u"999.995", 2, 3), u"1,000.00") << "the carry reaches a new group";
    EXPECT_EQ(Custom(u"5.", 3, 3), u"5.000");
    EXPECT_EQ(Custom(u"-0.004", 2, 3), u"0.00") << "what rounds to zero has no sign";
    EXPECT_EQ(Custom(u"-0.5", 2, 3, 1, 0), u"-.50");
    EXPECT_EQ(Custom(u".4", 0, 3, 1, 0), u"0") << "a number never vanishes";
    const char16_t* expected[] = {u"(1,234.50)", u"-1,234.50", u"- 1,234.50", u"1,234.50-", u"1,234.50 -"};
    for (UINT order = 0; order < 5; ++order)
        EXPECT_EQ(Custom(u"-1234.5", 2, 3, order), expected[order]);
}

TEST(NumberFormat, ErrorsAndBufferSizes)
{
    for (const char16_t* value : {u"", u"-", u".", u"1.2.3", u"+1", u" 1", u"1e3", u"1,000", u"--1", u"1-"})
        EXPECT_EQ(Custom(value, 2, 3), u"error 87") << testing::PrintToString(std::u16string(value));
    EXPECT_EQ(Custom(u"1", 2, 3, 5), u"error 87") << "NegativeOrder 5";
    EXPECT_EQ(Custom(u"1", 10, 3), u"error 87") << "NumDigits 10";
    EXPECT_EQ(Formatted(u"1", nullptr, 0x0409), u"error 87") << "an unknown locale";

    constexpr LCID system = LOCALE_SYSTEM_DEFAULT;
    EXPECT_EQ(GetNumberFormatW(system, 0, u"1234", nullptr, nullptr, 0), 8) << "1234.00 and the end";
    WCHAR buffer[8];
    EXPECT_EQ(GetNumberFormatW(system, 0, u"1234", nullptr, buffer, 7), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetNumberFormatW(system, LOCALE_NOUSEROVERRIDE, u"1234", nullptr, buffer, 8), 8) << "no grouping in C";
    EXPECT_EQ(std::u16string(buffer), u"1234.00");
    EXPECT_EQ(GetNumberFormatW(system, 1, u"1", nullptr, buffer, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

} // namespace
