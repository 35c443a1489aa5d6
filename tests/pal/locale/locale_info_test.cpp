#include "pal/base/last_error.h"
#include "pal/locale/number_format.h"
#include "tests/support/locale_test.h"

namespace {

using testing_support::UseLocale;

std::u16string Info(LCTYPE type, LCID locale = LOCALE_USER_DEFAULT)
{
    WCHAR buffer[16] = {};
    const int written = GetLocaleInfoW(locale, type, buffer, 16);
    return written > 0 ? std::u16string(buffer, written - 1) : u"<failed>";
}

std::u16string Separators(LCID locale = LOCALE_USER_DEFAULT)
{
    return Info(LOCALE_SDECIMAL, locale) + u"|" + Info(LOCALE_STHOUSAND, locale) + u"|" +
           Info(LOCALE_SGROUPING, locale);
}

TEST(LocaleInfo, SeparatorsFollowTheEnvironmentWithinOneProcess)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    EXPECT_EQ(Separators(), u".|,|3;0") << "glibc's grouping 3;3 is one repeating size";
    setenv("LC_ALL", "", 1);
    setenv("LC_NUMERIC", "de_DE.UTF-8", 1);
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(Separators(), u",|.|3;0") << "an empty LC_ALL does not count; LC_NUMERIC wins over LANG";
    EXPECT_EQ(Separators(LOCALE_SYSTEM_DEFAULT), u".||0") << "the C locale, whatever the user's is";
    unsetenv("LC_NUMERIC");
    EXPECT_EQ(Separators(), u",|\u202F|3;0") << "a narrow no-break space, from the locale's UTF-8";
    unsetenv("LANG");
    EXPECT_EQ(Separators(), u".||0") << "nothing set is the C locale";
    setenv("LC_ALL", "xx_YY.UTF-8", 1);
    EXPECT_EQ(Separators(), u".||0") << "so is a locale that is not installed";
}

TEST(LocaleInfo, NumericFieldsBufferSizesAndErrors)
{
    ASSERT_TRUE(UseLocale("de_DE.UTF-8"));
    EXPECT_EQ(Info(LOCALE_IDIGITS) + Info(LOCALE_ILZERO) + Info(LOCALE_INEGNUMBER | LOCALE_NOUSEROVERRIDE), u"211");
    DWORD number = 0;
    const auto numeric = [&](LCTYPE type, int cch) {
        return GetLocaleInfoW(LOCALE_USER_DEFAULT, type | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&number), cch);
    };
    EXPECT_EQ(numeric(LOCALE_IDIGITS, 0), 2) << "a DWORD counts two WCHARs";
    EXPECT_TRUE(numeric(LOCALE_IDIGITS, 2) == 2 && number == 2);
    const auto failure = [](int result) { return result == 0 ? static_cast<LSTATUS>(GetLastError()) : 0; };
    EXPECT_EQ(failure(numeric(LOCALE_IDIGITS, 1)), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(failure(numeric(LOCALE_SDECIMAL, 2)), ERROR_INVALID_FLAGS) << "a separator has no number form";

    WCHAR text[4];
    EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, nullptr, 0), 4);
    EXPECT_EQ(failure(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, text, 3)), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(failure(GetLocaleInfoW(0x0409, LOCALE_SDECIMAL, text, 4)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(failure(GetLocaleInfoW(LOCALE_USER_DEFAULT, 0xFFFF, text, 4)), ERROR_INVALID_FLAGS);
}

} // namespace
