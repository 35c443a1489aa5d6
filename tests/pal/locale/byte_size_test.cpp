#include "pal/locale/number_format.h"
#include "tests/support/locale_test.h"

#include <cstdint>

namespace {

using testing_support::UseLocale;

std::u16string SizeText(LONGLONG size)
{
    WCHAR buffer[32];
    return StrFormatByteSizeW(size, buffer, 32);
}

TEST(ByteSize, ThreeSignificantDigitsTruncatedInTheLargestUnitBelow1024)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    EXPECT_EQ(SizeText(532) + u"|" + SizeText(1023) + u"|" + SizeText(1024), u"532 bytes|1023 bytes|1.00 KB");
    EXPECT_EQ(SizeText(1340) + u"|" + SizeText(23506) + u"|" + SizeText(1023999), u"1.30 KB|22.9 KB|999 KB");
    EXPECT_EQ(SizeText(10239), u"9.99 KB") << "truncated, never rounded up";
    EXPECT_EQ(SizeText(1048575), u"1,023 KB") << "from 1000 of a unit the whole number, grouped";
    EXPECT_EQ(SizeText(2400016) + u"|" + SizeText(1610612736), u"2.28 MB|1.50 GB");
    EXPECT_EQ(SizeText(1LL << 50) + u"|" + SizeText(INT64_MAX) + u"|" + SizeText(INT64_MIN),
              u"1.00 PB|7.99 EB|-8.00 EB");
}

TEST(ByteSize, SeparatorsOfTheUsersLocale)
{
    ASSERT_TRUE(UseLocale("de_DE.UTF-8"));
    EXPECT_EQ(SizeText(1340) + u"|" + SizeText(1048575), u"1,30 KB|1.023 KB");
    ASSERT_TRUE(UseLocale("fr_FR.UTF-8"));
    EXPECT_EQ(SizeText(23506) + u"|" + SizeText(1048575), u"22,9 KB|1\u202F023 KB");
}

TEST(ByteSize, CutToTheBufferAndAlwaysTerminated)
{
    WCHAR buffer[8] = {u'x', u'x'};
    EXPECT_EQ(std::u16string(StrFormatByteSizeW(1000, buffer, 5)), u"1000");
    EXPECT_EQ(std::u16string(StrFormatByteSizeW(1000, buffer, 1)), u"");
    EXPECT_EQ(StrFormatByteSizeW(1000, buffer, 0), nullptr);
}

} // namespace
