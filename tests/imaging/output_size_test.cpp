// Output size presets and size texts, in the locales whose separators differ.
#include "imaging/output_size.h"
#include "pal/utf.h"
#include "tests/support/locale_test.h"
#include "tests/support/plain_drop_down_list.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using orvana::NormalizeSizeText;
using orvana::ParseOutputSize;
using testing_support::PlainDropDownList;
using testing_support::UseLocale;

class OutputSize : public testing_support::LocaleTest {};

struct PrintExpectation {
    const char16_t* preset;
    double dpi;
    UINT longEdge;
};

TEST_F(OutputSize, PrintPresetsGetTheirResolutionAndLongEdge)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    const PrintExpectation table[] = {
        {u"4\" print", 330, 1320},      {u"5\" print", 324.23, 1621},   {u"6\" print", 318.46, 1911},
        {u"7\" print", 312.69, 2189},   {u"8\" print", 306.92, 2455},   {u"10\" print", 295.38, 2954},
        {u"11\" print", 289.62, 3186},  {u"12\" print", 283.85, 3406},  {u"14\" print", 272.31, 3812},
        {u"15\" print", 266.54, 3998},  {u"17\" print", 255, 4335},     {u"18\" print", 249.23, 4486},
        {u"20\" print", 237.69, 4754},  {u"30\" print", 180, 5400},     {u"9 cm print", 330, 1169},
        {u"10 cm print", 330, 1299},    {u"11 cm print", 327.73, 1419}, {u"13 cm print", 323.18, 1654},
        {u"18 cm print", 311.82, 2210}, {u"20 cm print", 307.27, 2419}, {u"24 cm print", 298.18, 2817},
        {u"25 cm print", 295.91, 2912}, {u"30 cm print", 284.55, 3361}, {u"40 cm print", 261.82, 4123},
        {u"50 cm print", 239.09, 4707}, {u"60 cm print", 216.36, 5111}, {u"70 cm print", 193.64, 5336},
        {u"76 cm print", 180, 5386},
    };
    PlainDropDownList list;
    orvana::FillPrintPresets(list);
    ASSERT_EQ(std::size(table), static_cast<std::size_t>(list.Count()));
    for (int n = 0; n < list.Count(); ++n) {
        const PrintExpectation& expected = table[n];
        EXPECT_EQ(expected.preset, list.Text(n));
        EXPECT_FALSE(list.Data(n));
        double dpi = 0;
        EXPECT_EQ(expected.longEdge, ParseOutputSize(list.Text(n), dpi)) << n;
        EXPECT_EQ(expected.dpi, std::round(dpi * 100) / 100) << n;
        EXPECT_EQ(list.Text(n), NormalizeSizeText(list.Text(n))) << "a print preset is already canonical";
    }
}

TEST_F(OutputSize, PixelPresetsAreGroupedByTheLocaleAndCarryTheirValue)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    const std::vector<std::u16string> english = {
        u"Original", u"160 px",   u"192 px",    u"240 px",    u"320 px",       u"400 px(S)",
        u"480 px",   u"512 px",   u"576 px",    u"580 px(M)", u"600 px",       u"640 px",
        u"720 px",   u"768 px",   u"800 px(L)", u"1,024 px",  u"1,100 px(XL)", u"1,152 px",
        u"1,280 px", u"1,360 px", u"1,366 px",  u"1,400 px",  u"1,440 px",     u"1,550 px(XXL)",
        u"1,600 px", u"1,680 px", u"1,920 px",  u"2,048 px",  u"2,560 px",
    };
    PlainDropDownList list;
    orvana::FillPixelPresets(list);
    EXPECT_EQ(english, list.Texts());
    EXPECT_FALSE(list.Data(0));

    for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8"}) {
        SCOPED_TRACE(locale);
        ASSERT_TRUE(UseLocale(locale));
        PlainDropDownList grouped;
        orvana::FillPixelPresets(grouped);
        ASSERT_EQ(29, grouped.Count());
        // The item data is the plain value; the text alone gives it back, at 300 dpi, and loses its size tag.
        for (int n = 1; n < grouped.Count(); ++n) {
            const std::u16string value = grouped.Data(n).value_or(u"");
            double dpi = 0;
            EXPECT_EQ(std::stoul(pal::ToUtf8(value)), ParseOutputSize(grouped.Text(n), dpi)) << n;
            EXPECT_EQ(300.0, dpi);
            EXPECT_EQ(NormalizeSizeText(value), NormalizeSizeText(grouped.Text(n))) << n;
        }
    }
    EXPECT_EQ(u"1.600 px", NormalizeSizeText(u"1600")) << "grouped as the locale groups";
}

TEST_F(OutputSize, TypedFormsBecomeCanonical)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    EXPECT_EQ(u"1,600 px", NormalizeSizeText(u"1600 pixels"));
    EXPECT_EQ(u"1,600 px", NormalizeSizeText(u" 1 600PIX "));
    EXPECT_EQ(u"1,600 px", NormalizeSizeText(u"1600.7 px"));
    EXPECT_EQ(u"1,600 px", NormalizeSizeText(u"1600"));
    EXPECT_EQ(u"12\" print", NormalizeSizeText(u"12in"));
    EXPECT_EQ(u"12\" print", NormalizeSizeText(u"12 Inches"));
    EXPECT_EQ(u"10.3 cm print", NormalizeSizeText(u"10.26 cm"));
    EXPECT_EQ(u"10.3 cm print", NormalizeSizeText(u"10.3 cm print")) << "stable once canonical";
    EXPECT_EQ(u"24 cm print", NormalizeSizeText(u"   24 cm"));
    EXPECT_EQ(u"1,234,567,890 px", NormalizeSizeText(u"1234567890px"));
}

TEST_F(OutputSize, AUnitIsKnownByItsFirstLettersAndOnlyOneSeparatorReads)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    EXPECT_EQ(u"12 px", NormalizeSizeText(u"12 i")) << "an i alone is no unit";
    EXPECT_EQ(u"12\" print", NormalizeSizeText(u"12 INx"));
    EXPECT_EQ(u"2.5 cm print", NormalizeSizeText(u"2.50CMyk"));
    EXPECT_EQ(u"5 cm print", NormalizeSizeText(u"5 c m")) << "white space goes before the unit is read";
    EXPECT_EQ(u"1 px", NormalizeSizeText(u"1.2.3 cm")) << "the second separator starts the ignored tail";
}

TEST_F(OutputSize, TextsThatDoNotReadBecomeOriginal)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    for (const char16_t* text : {u"0 px", u"px", u"abc", u"", u"x1600", u"Original", u"-5 cm", u".5 in"}) {
        EXPECT_EQ(u"Original", NormalizeSizeText(text)) << pal::ToUtf8(text);
        double dpi = 0;
        EXPECT_EQ(0u, ParseOutputSize(text, dpi));
        EXPECT_EQ(300.0, dpi);
    }
}

TEST_F(OutputSize, PrintSizesOutsideThePresetRangeKeepTheBoundResolution)
{
    ASSERT_TRUE(UseLocale("en_US.UTF-8"));
    double dpi = 0;
    EXPECT_EQ(990u, ParseOutputSize(u"3 in", dpi));
    EXPECT_EQ(330.0, dpi);
    EXPECT_EQ(7200u, ParseOutputSize(u"40 in", dpi));
    EXPECT_EQ(180.0, dpi);
    EXPECT_EQ(1335u, ParseOutputSize(u"10.3 cm print", dpi)) << "read back from its canonical text";
    EXPECT_EQ(1600u, ParseOutputSize(u"1600.7 px", dpi)) << "pixels are truncated";
    EXPECT_EQ(0xFFFFFFFFu, ParseOutputSize(u"99999999999999999999 px", dpi)) << "clamped, not wrapped";
}

TEST_F(OutputSize, CommaDecimalLocalesReadAndWriteTheirOwnSeparators)
{
    ASSERT_TRUE(UseLocale("de_DE.UTF-8"));
    double dpi = 0;
    EXPECT_EQ(1600u, ParseOutputSize(u"1.600px", dpi)) << "the full stop groups thousands";
    EXPECT_EQ(u"2,5 cm print", NormalizeSizeText(u"2,5 cm"));
    EXPECT_EQ(325u, ParseOutputSize(u"2,5 cm", dpi));
    EXPECT_EQ(330.0, dpi);
    EXPECT_EQ(u"1 px", NormalizeSizeText(u"1,600 px")) << "a decimal comma here, and pixels are whole";

    ASSERT_TRUE(UseLocale("fr_FR.UTF-8"));
    PlainDropDownList list;
    orvana::FillPixelPresets(list);
    const std::u16string french = list.Text(24);
    EXPECT_EQ(1600u, ParseOutputSize(french, dpi)) << pal::ToUtf8(french);
    EXPECT_EQ(french, NormalizeSizeText(u"1600 px"));
    EXPECT_EQ(u"10,3 cm print", NormalizeSizeText(u"10,26cm"));
}

TEST(PrintDpiForLength, InterpolatesBetweenTheBoundsInEitherOrder)
{
    using orvana::PrintDpiForLength;
    EXPECT_EQ(255.0, PrintDpiForLength(17, 4, 30, 330, 180));
    EXPECT_EQ(255.0, PrintDpiForLength(17, 30, 4, 330, 180)) << "bounds are sorted, y1 stays at the low end";
    EXPECT_EQ(330.0, PrintDpiForLength(1, 4, 30, 330, 180));
    EXPECT_EQ(180.0, PrintDpiForLength(31, 4, 30, 330, 180));
    EXPECT_EQ(200.0, PrintDpiForLength(5, 1, 9, 200, 200)) << "equal ends answer that value";
    EXPECT_EQ(255.0, PrintDpiForLength(5, 4, 4, 330, 180)) << "one point answers the mean";
}

} // namespace
