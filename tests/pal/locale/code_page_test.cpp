// Byte text to wide text: UTF-8, and the ANSI code page that follows the
// thread's C locale.
#include <gtest/gtest.h>
#include <locale.h>
#include <string>
#include <windows.h>

namespace {

std::u16string Convert(UINT codePage, const std::string& bytes, DWORD flags = 0)
{
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return u"(failed)";
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    EXPECT_EQ(length,
              MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), text.data(), length));
    return text;
}

TEST(CodePage, Utf8AndTheThreadLocaleCharsetWithReplacementsForStrayBytes)
{
    EXPECT_EQ(Convert(CP_UTF8, "Stra\xC3\x9F"
                               "e \xE6\x97\xA5"),
              u"Straße 日");
    EXPECT_EQ(Convert(CP_UTF8, "a\xFF"
                               "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Convert(CP_UTF8, "a\xFF", MB_ERR_INVALID_CHARS), u"(failed)");
    EXPECT_EQ(Convert(CP_THREAD_ACP, "12345\xE9"), u"12345\uFFFD") << "the C locale reads ASCII only";

    const locale_t latin = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    ASSERT_NE(latin, static_cast<locale_t>(0)) << "run scripts/bootstrap.sh for the test locales";
    const locale_t previous = uselocale(latin);
    EXPECT_EQ(Convert(CP_ACP, "Gr\xC3\xBC\xC3\x9F"
                              "e"),
              u"Grüße");
    uselocale(previous);
    freelocale(latin);

    WCHAR small[2];
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "abc", 3, small, 2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(4, MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0)) << "-1 counts the terminator";
}

} // namespace
