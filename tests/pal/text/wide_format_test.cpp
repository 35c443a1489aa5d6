#include "pal/wide_format.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <strsafe.h>

namespace {

using pal::FormatWide;

TEST(FormatWide, WideStringsWithAndWithoutTheLongModifier)
{
    EXPECT_EQ(FormatWide(u"%ls(%d)", u"IMG_0001", 2), u"IMG_0001(2)");
    EXPECT_EQ(FormatWide(u"<%s>", u"wide"), u"<wide>") << "in a wide format %s takes a wide string";
    EXPECT_EQ(FormatWide(u"<%ws>", u"wide"), u"<wide>");
    EXPECT_EQ(FormatWide(u"<%hs>", "Gr\xC3\xBC\xC3\x9F"
                                   "e"),
              u"<Grüße>")
        << "%hs takes UTF-8";
    EXPECT_EQ(FormatWide(u"%ls|%s|%hs", static_cast<const char16_t*>(nullptr), static_cast<const char16_t*>(nullptr),
                         static_cast<const char*>(nullptr)),
              u"(null)|(null)|(null)");
    EXPECT_EQ(FormatWide(u"%ls", u"😀 ✓"), u"😀 ✓");
}

TEST(FormatWide, StringWidthAndPrecision)
{
    EXPECT_EQ(FormatWide(u"%3.3s", u"Sunday"), u"Sun");
    EXPECT_EQ(FormatWide(u"%3.3s", u"ab"), u" ab");
    EXPECT_EQ(FormatWide(u"%-5s|", u"ab"), u"ab   |");
    EXPECT_EQ(FormatWide(u"%05s", u"ab"), u"000ab") << "the Windows runtime pads text with zeros too";
    EXPECT_EQ(FormatWide(u"%.2hs", "abc"), u"ab");
    // With a precision the text need not be terminated: no read past three units.
    const char16_t month[3] = {u'J', u'a', u'n'};
    EXPECT_EQ(FormatWide(u"%.3s", month), u"Jan");
}

TEST(FormatWide, SignedAndUnsignedDecimals)
{
    EXPECT_EQ(FormatWide(u"%d", -42), u"-42");
    EXPECT_EQ(FormatWide(u"%i", INT_MIN), u"-2147483648");
    EXPECT_EQ(FormatWide(u"%u", -1), u"4294967295");
    EXPECT_EQ(FormatWide(u"%ld", static_cast<std::int32_t>(-7)), u"-7") << "long is 32 bits, as on Windows";
    EXPECT_EQ(FormatWide(u"%+d % d %+d", 5, 5, -5), u"+5  5 -5");
    EXPECT_EQ(FormatWide(u"%hd %hu", 70000, 70000), u"4464 4464");
}

TEST(FormatWide, WidthZeroPaddingAndPrecisionOnNumbers)
{
    EXPECT_EQ(FormatWide(u"%09d", -5), u"-00000005");
    EXPECT_EQ(FormatWide(u"%02d", 123), u"123");
    EXPECT_EQ(FormatWide(u"[%4d]", 7), u"[   7]");
    EXPECT_EQ(FormatWide(u"[%-04d]", 7), u"[7   ]") << "'-' wins over '0'";
    EXPECT_EQ(FormatWide(u"[%6.3d]", 7), u"[   007]");
    EXPECT_EQ(FormatWide(u"[%06.3d]", 7), u"[   007]") << "a precision turns '0' off";
    EXPECT_EQ(FormatWide(u"[%.0d]", 0), u"[]");
    EXPECT_EQ(FormatWide(u"[%*d|%-*d]", 3, 1, 3, 2), u"[  1|2  ]");
    EXPECT_EQ(FormatWide(u"[%*d]", -3, 1), u"[1  ]") << "a negative '*' width left-justifies";
}

TEST(FormatWide, HexadecimalAsHresultsAreWritten)
{
    EXPECT_EQ(FormatWide(u"0x%08lx", static_cast<std::int32_t>(0x80004005)), u"0x80004005");
    EXPECT_EQ(FormatWide(u"0x%08lx", 0x1Au), u"0x0000001a");
    EXPECT_EQ(FormatWide(u"%X %#x %#X %#x", 0xABCu, 255u, 255u, 0u), u"ABC 0xff 0XFF 0");
}

TEST(FormatWide, SixtyFourBitIntegers)
{
    EXPECT_EQ(FormatWide(u"%I64d", INT64_MIN), u"-9223372036854775808");
    EXPECT_EQ(FormatWide(u"%lld", 1LL << 40), u"1099511627776");
    EXPECT_EQ(FormatWide(u"%I64u", UINT64_MAX), u"18446744073709551615");
    EXPECT_EQ(FormatWide(u"%llx", 0x123456789ABCDEFull), u"123456789abcdef");
    EXPECT_EQ(FormatWide(u"%I32d %zu %Iu", -1, std::size_t{5}, std::size_t{6}), u"-1 5 6");
    // Arguments after a 64-bit one are still read in their places.
    EXPECT_EQ(FormatWide(u"%I64d %d %ls", 5000000000LL, 3, u"x"), u"5000000000 3 x");
}

TEST(FormatWide, PercentCharactersAndUnknownConversions)
{
    EXPECT_EQ(FormatWide(u"100%%"), u"100%");
    EXPECT_EQ(FormatWide(u"%c%lc%hc", u'A', u'é', 'z'), u"Aéz");
    EXPECT_EQ(FormatWide(u"%q and %5.2y stay"), u"%q and %5.2y stay");
    EXPECT_EQ(FormatWide(u"end %"), u"end %");
    EXPECT_EQ(FormatWide(nullptr), u"");
}

TEST(FormatWide, TheDateFormatOfTheUploadHeader)
{
    EXPECT_EQ(FormatWide(u"%3s, %d %3s %4d %02d:%02d:%02d", u"Sun", 5, u"Jan", 2025, 7, 3, 9),
              u"Sun, 5 Jan 2025 07:03:09");
}

TEST(StringCchPrintf, WritesWhatFitsAndCutsAndTerminatesTheRest)
{
    char16_t buffer[7] = u"######";
    EXPECT_EQ(StringCchPrintfW(buffer, 5, u"%ls-%d", u"ab", 7), S_OK) << "four characters and the terminator fit";
    EXPECT_EQ(std::u16string(buffer), u"ab-7");
    EXPECT_EQ(StringCchPrintfW(buffer, 5, u"%ls", u"abcdefgh"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_EQ(buffer[5], u'#') << "nothing written past the given size";
    EXPECT_EQ(StringCchPrintfW(buffer, 5, u"%10d", 1), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(buffer), u"    ");
    EXPECT_EQ(StringCchPrintfW(buffer, 1, u"x"), STRSAFE_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST(StringCchPrintf, RefusesAnEmptyOrOversizedBuffer)
{
    char16_t buffer[4] = u"###";
    EXPECT_EQ(StringCchPrintfW(buffer, 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(StringCchPrintfW(nullptr, 4, u"x"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(StringCchPrintfW(buffer, STRSAFE_MAX_CCH + 1, u"x"), STRSAFE_E_INVALID_PARAMETER);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(StringCchPrintfW(buffer, 4, nullptr), STRSAFE_E_INVALID_PARAMETER);
}

} // namespace
