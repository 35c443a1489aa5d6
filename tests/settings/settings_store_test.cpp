// The preparation settings in the per-user key, read and written through the
// registry store.
#include "pal/registry_key.h"
#include "settings/settings_store.h"
#include "tests/support/locale_test.h"
#include "tests/support/registry_tree.h"
#include "tests/support/temporary_prefix.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using orvana::ImageFormatSettings;
using testing_support::UseLocale;

class SettingsStore : public testing_support::LocaleTest {
  protected:
    void SetUp() override { ASSERT_TRUE(UseLocale("en_US.UTF-8")); }

    static pal::RegKey SettingsKey()
    {
        pal::RegKey key;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, orvana::kSettingsKeyPath, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, key.ReleaseAndGetAddressOf(), nullptr));
        return key;
    }
    static void SetDword(const char16_t* name, DWORD value) { pal::SetDWORDValue(SettingsKey().Get(), name, value); }
    static void SetString(const char16_t* name, std::u16string_view text)
    {
        pal::SetStringValue(SettingsKey().Get(), name, text);
    }
    static std::optional<std::u16string> StoredString(const char16_t* name)
    {
        char16_t buffer[64] = {};
        DWORD size = sizeof(buffer);
        DWORD type = 0;
        if (RegQueryValueExW(SettingsKey().Get(), name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        EXPECT_EQ(REG_SZ, type);
        EXPECT_EQ((std::u16string(buffer).size() + 1) * 2, size) << "stored with its terminator";
        return buffer;
    }
    static DWORD CountValues()
    {
        DWORD values = 0;
        RegQueryInfoKeyW(SettingsKey().Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        return values;
    }

    testing_support::TemporaryPrefix prefix_;
    ImageFormatSettings jpeg_;
    ImageFormatSettings raw_;
};

TEST_F(SettingsStore, WithoutTheKeyBothRecordsKeepWhatTheyHeld)
{
    orvana::LoadPublisherSettings(jpeg_, raw_);
    EXPECT_EQ(ImageFormatSettings{}, jpeg_);
    EXPECT_EQ(ImageFormatSettings{}, raw_);
    EXPECT_EQ(orvana::PM_FILE_INTACT, jpeg_.Mode) << "JPEG files go up intact";
    EXPECT_EQ(0u, raw_.LongDimension) << "RAW at full size";

    jpeg_.Mode = orvana::PM_RESAMPLE;
    jpeg_.WriteGPS = 0;
    const ImageFormatSettings before = jpeg_;
    orvana::LoadPublisherSettings(jpeg_, raw_);
    EXPECT_EQ(before, jpeg_);
}

TEST_F(SettingsStore, OutOfRangeValuesAreBroughtIntoRange)
{
    SetDword(u"JPEGMode", 7);
    SetDword(u"JPEGWriteGPS", 5);
    SetDword(u"RAWMinimize", 0xFFFFFFFF);
    orvana::LoadPublisherSettings(jpeg_, raw_);
    EXPECT_EQ(orvana::PM_RESAMPLE, jpeg_.Mode);
    EXPECT_EQ(1u, jpeg_.WriteGPS);
    EXPECT_EQ(1u, raw_.Minimize);
    EXPECT_EQ(0u, jpeg_.Minimize) << "missing values keep their defaults";
    EXPECT_EQ(1u, jpeg_.WriteCopyright);
    EXPECT_EQ(u"Original", jpeg_.SizeText);
    EXPECT_EQ(0u, jpeg_.LongDimension);
    EXPECT_EQ(300.0, jpeg_.Dpi);
    EXPECT_EQ(u"Original", raw_.SizeText);
}

TEST_F(SettingsStore, SizeTextsAreMadeCanonicalAndGiveTheLongEdge)
{
    SetString(u"RAWLongDimension", u"   24 cm");
    // An expandable string is a text too.
    const std::u16string_view typed = u"1600 pixels";
    RegSetValueExW(SettingsKey().Get(), u"JPEGLongDimension", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(typed.data()), static_cast<DWORD>((typed.size() + 1) * 2));
    orvana::LoadPublisherSettings(jpeg_, raw_);
    EXPECT_EQ(u"24 cm print", raw_.SizeText);
    EXPECT_EQ(2817u, raw_.LongDimension);
    EXPECT_EQ(298.18, std::round(raw_.Dpi * 100) / 100);
    EXPECT_EQ(u"1,600 px", jpeg_.SizeText);
    EXPECT_EQ(1600u, jpeg_.LongDimension);
}

TEST_F(SettingsStore, UnreadableValuesAreIgnored)
{
    SetString(u"JPEGLongDimension", u"1600 px and a tail far too long to fit");
    const BYTE shortDword[2] = {1, 0};
    RegSetValueExW(SettingsKey().Get(), u"JPEGMode", 0, REG_BINARY, shortDword, sizeof(shortDword));
    SetDword(u"RAWLongDimension", 1600);
    jpeg_.Mode = orvana::PM_PIXELS_INTACT;
    orvana::LoadPublisherSettings(jpeg_, raw_);
    EXPECT_EQ(u"Original", jpeg_.SizeText) << "a text longer than 31 characters";
    EXPECT_EQ(orvana::PM_PIXELS_INTACT, jpeg_.Mode) << "a value of the wrong size";
    EXPECT_EQ(u"Original", raw_.SizeText) << "a number where a text belongs";
}

TEST_F(SettingsStore, SavingWritesOneFormatsValuesAndReadsBackTheSame)
{
    ImageFormatSettings page;
    page.Mode = orvana::PM_PIXELS_INTACT;
    page.Minimize = 1;
    page.WriteEXIF = 0;
    page.WriteIPTC = 0;
    page.SizeText = u"12in";
    orvana::SavePublisherSettings(orvana::SourceFormat::Jpeg, page);
    // Each switch under its own name, as a four-byte DWORD; the size text canonical, with its terminator.
    const testing_support::Lines expected = {
        " JPEGLongDimension = \"12\" print\"", " JPEGMinimize = 4:01000000",  " JPEGMode = 4:01000000",
        " JPEGWriteCopyright = 4:01000000",    " JPEGWriteEXIF = 4:00000000", " JPEGWriteGPS = 4:01000000",
        " JPEGWriteIPTC = 4:00000000",         " JPEGWriteXMP = 4:01000000",
    };
    EXPECT_EQ(expected, testing_support::TreeOf(HKEY_CURRENT_USER, orvana::kSettingsKeyPath));

    page.SizeText = u"1600";
    orvana::SavePublisherSettings(orvana::SourceFormat::RawOrTiff, page);
    EXPECT_EQ(15u, CountValues()) << "RAW and TIFF have no mode";
    EXPECT_EQ(u"1,600 px", StoredString(u"RAWLongDimension"));

    orvana::LoadPublisherSettings(jpeg_, raw_);
    EXPECT_EQ(orvana::PM_PIXELS_INTACT, jpeg_.Mode);
    EXPECT_EQ(1u, jpeg_.Minimize);
    EXPECT_EQ((std::array<UINT, 5>{1, 0, 1, 1, 0}),
              (std::array{jpeg_.WriteCopyright, jpeg_.WriteEXIF, jpeg_.WriteXMP, jpeg_.WriteGPS, jpeg_.WriteIPTC}));
    EXPECT_EQ(3406u, jpeg_.LongDimension);
    EXPECT_EQ(1u, raw_.Minimize);
    EXPECT_EQ((std::array<UINT, 5>{1, 0, 1, 1, 0}),
              (std::array{raw_.WriteCopyright, raw_.WriteEXIF, raw_.WriteXMP, raw_.WriteGPS, raw_.WriteIPTC}));
    EXPECT_EQ(1600u, raw_.LongDimension);
}

} // namespace
