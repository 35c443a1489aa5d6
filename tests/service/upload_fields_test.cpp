// The texts an upload request carries about its file: the encoded name, the
// modification date in local time, and the media type by extension.
#include "pal/hresult_error.h"
#include "pal/registry_key.h"
#include "pal/utf.h"
#include "service/content_type.h"
#include "service/modified_date.h"
#include "service/percent_encode.h"
#include "tests/support/temporary_prefix.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>

namespace {

TEST(PercentEncode, KeepsOnlyAsciiLettersAndDigitsAndEncodesTheUtf8BytesOfTheRest)
{
    for (const auto& [text, expected] : {
             std::tuple{u"", u""},
             std::tuple{u"IMG_0042.jpg", u"IMG%5F0042%2Ejpg"},
             std::tuple{u"a b-c~d/e", u"a%20b%2Dc%7Ed%2Fe"},
             std::tuple{u"Grüße", u"Gr%C3%BC%C3%9Fe"},
             std::tuple{u"\U0001F600", u"%F0%9F%98%80"},
         })
        EXPECT_EQ(std::u16string(expected), orvana::PercentEncode(text)) << pal::ToUtf8(text);
}

// The process's zone for one test, put back afterwards.
class PinnedZone {
  public:
    explicit PinnedZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~PinnedZone()
    {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    PinnedZone(const PinnedZone&) = delete;
    PinnedZone& operator=(const PinnedZone&) = delete;

  private:
    std::optional<std::string> previous_;
};

FILETIME FromUnixSeconds(long long seconds)
{
    const auto ticks = static_cast<unsigned long long>(seconds + 11644473600LL) * 10'000'000ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

TEST(ModifiedDate, IsLocalTimeUnderTheZonesRuleForThatDate)
{
    // Central European rules as a POSIX string, so no zone database is needed.
    const PinnedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    for (const auto& [utc, expected] : {
             std::tuple{1709643789LL, u"Tue, 5 Mar 2024 14:03:09"},  // 13:03:09 UTC, winter: +1
             std::tuple{1721044800LL, u"Mon, 15 Jul 2024 14:00:00"}, // 12:00 UTC, summer: +2
             std::tuple{1711846799LL, u"Sun, 31 Mar 2024 01:59:59"}, // a second before the change
             std::tuple{1711846800LL, u"Sun, 31 Mar 2024 03:00:00"}, // the change itself
             std::tuple{1735689599LL, u"Wed, 1 Jan 2025 00:59:59"},  // the year turns locally only
         })
        EXPECT_EQ(std::u16string(expected), orvana::FormatModifiedDate(FromUnixSeconds(utc))) << utc;
}

TEST(ModifiedDate, NamesOutOfRangeFieldsAsTheFirstAndRefusesATimeWithoutADate)
{
    SYSTEMTIME local{2024, 13, 7, 9, 8, 7, 6, 0};
    EXPECT_EQ(u"Sun, 9 Jan 2024 08:07:06", orvana::FormatCalendarTime(local));
    local.wMonth = 0;
    EXPECT_EQ(u"Sun, 9 Jan 2024 08:07:06", orvana::FormatCalendarTime(local));
    local = SYSTEMTIME{999, 12, 6, 31, 23, 59, 59, 0};
    EXPECT_EQ(u"Sat, 31 Dec  999 23:59:59", orvana::FormatCalendarTime(local));

    try {
        orvana::FormatModifiedDate(FILETIME{0, 0x80000000u});
        ADD_FAILURE() << "no date past the last representable one";
    } catch (const pal::HResultError& error) {
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER), error.Code());
    }
}

TEST(ContentType, ComesFromTheSystemTableByExtensionWithoutRegardToCase)
{
    for (const auto& [fileName, expected] : {
             std::tuple{u"IMG_0042.jpg", u"image/jpeg"},
             std::tuple{u"C:\\Photos\\Shot.PNG", u"image/png"},
             std::tuple{u"/home/u/anim.Gif", u"image/gif"},
             std::tuple{u"scan.tiff", u"image/tiff"},
         }) {
        const auto type = orvana::LookupContentType(fileName);
        ASSERT_TRUE(type) << pal::ToUtf8(fileName);
        EXPECT_EQ(std::u16string(expected), *type);
    }
    const std::u16string longExtension = u"photo." + std::u16string(300, u'j');
    for (const char16_t* fileName :
         {u"README", u"photo.unknownextensionzz", u"album.d/photo", u"photo.", u"", longExtension.c_str()})
        EXPECT_FALSE(orvana::LookupContentType(fileName)) << pal::ToUtf8(fileName);
}

TEST(ContentType, TheExtensionIsTheLastPartsWithItsDotUpToAKeyNamesLength)
{
    EXPECT_EQ(u".jpg", orvana::FileExtension(u"a.b\\c.tar.jpg").value_or(u"-"));
    const std::u16string longest = u"." + std::u16string(254, u'x');
    EXPECT_EQ(longest, orvana::FileExtension(u"name" + longest).value_or(u"-"));
    EXPECT_FALSE(orvana::FileExtension(u"name" + longest + u"x"));
}

class RegisteredContentType : public testing_support::PrefixTest {
  protected:
    static void Store(const char16_t* extension, DWORD type, std::u16string_view data)
    {
        pal::RegKey key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, (std::u16string(u"Software\\Classes\\") + extension).c_str(), 0,
                                  nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  key.ReleaseAndGetAddressOf(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key.Get(), u"Content Type", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size() * sizeof(char16_t))));
    }
};

TEST_F(RegisteredContentType, ReadsStringValuesWhetherOrNotTheyAreTerminated)
{
    Store(u".orv", REG_SZ, std::u16string_view(u"image/x-orvana\0", 15));
    Store(u".orx", REG_EXPAND_SZ, u"image/x-unterminated");
    Store(u".ord", REG_DWORD, std::u16string_view(u"\x1\x0", 2));
    Store(u".ore", REG_SZ, std::u16string_view(u"\0", 1));
    EXPECT_EQ(u"image/x-orvana", orvana::RegisteredContentType(u".ORV").value_or(u"-"));
    EXPECT_EQ(u"image/x-unterminated", orvana::RegisteredContentType(u".orx").value_or(u"-"));
    EXPECT_FALSE(orvana::RegisteredContentType(u".ord"));
    EXPECT_FALSE(orvana::RegisteredContentType(u".ore"));
    EXPECT_FALSE(orvana::RegisteredContentType(u".none"));
}

} // namespace
