// The component's texts, version and icon as the component reads them.
#include "pal/resources/resources.h"
#include "pal/text/wide_format.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::u16string String(UINT id)
{
    const char16_t* text = nullptr;
    const int length = LoadStringW(pal::ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::u16string(text, static_cast<std::size_t>(length)) : std::u16string();
}

std::u16string VersionString(const char16_t* key)
{
    char16_t file[4096];
    GetModuleFileNameW(pal::ThisModule(), file, 4096);
    std::vector<BYTE> block(GetFileVersionInfoSizeW(file, nullptr));
    if (block.empty() || !GetFileVersionInfoW(file, 0, static_cast<DWORD>(block.size()), block.data())) return {};
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length)) return {};
    const auto* translation = static_cast<const WORD*>(value);
    const std::u16string path =
        pal::FormatWide(u"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], key);
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) return {};
    return std::u16string(static_cast<const char16_t*>(value), length - 1);
}

TEST(ComponentStrings, HoldTheTextsOfTheDisplayStateVerbatim)
{
    EXPECT_EQ(String(99), u"Zenfolio");
    EXPECT_EQ(String(100), u"Publish to Zenfolio");
    EXPECT_EQ(String(102), u"Orvana Professional needs your credentials before it can publish images to Zenfolio. "
                           u"<a id=\"authorize\" href=\"\">Authorize...</a>");
    EXPECT_EQ(String(111), u"Orvana is now authorized to publish to Zenfolio as %ls. A few bits remain to be "
                           u"configured. <a id=\"settings\" href=\"\">Settings...</a>");
    EXPECT_EQ(String(116), u"Publish to %ls. %ls. <a id=\"settings\" href=\"parameters\">Settings...</a>");
}

TEST(ComponentStrings, KeepQuotesBlanksAndPlaceholders)
{
    EXPECT_EQ(String(201), u"Unexpected data format. The node \"%ls\" was not found in XML document.");
    EXPECT_EQ(String(507), u"\"%ls\" is not what it appears to be (wrong file extension?)");
    EXPECT_EQ(String(508), u"Could not publish \"%ls\" (Error code: 0x%08lx) %ls");
    EXPECT_EQ(String(510), u"Uploading duplicate file name \"%ls\" as \"%ls\"");
    EXPECT_EQ(String(125), u" px");
    EXPECT_EQ(String(103), u"<None>");
}

TEST(ComponentStrings, CoverEveryNumberTheComponentLoads)
{
    const UINT numbers[] = {99,    100,   102,   103,   107,   109,   110,   111,   112,   113,   116,   117,
                            118,   119,   120,   121,   124,   125,   126,   127,   129,   130,   131,   132,
                            133,   134,   135,   136,   137,   138,   139,   140,   141,   200,   201,   203,
                            204,   205,   500,   501,   502,   503,   504,   506,   507,   508,   509,   510,
                            10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 10009, 10010, 10011};
    for (const UINT id : numbers)
        EXPECT_FALSE(String(id).empty()) << "string " << id;
}

TEST(ComponentVersion, NamesTheComponentItsVersionAndItsMaker)
{
    EXPECT_EQ(VersionString(u"FileDescription"), u"Orvana Publish to Zenfolio Component");
    EXPECT_EQ(VersionString(u"FileVersion"), u"1.9 (Build 289)");
    EXPECT_NE(VersionString(u"LegalCopyright").find(u"Brindle"), std::u16string::npos);
    EXPECT_EQ(
        pal::FormatWide(u"Orvana %ls Plugin Version %ls", String(100).c_str(), VersionString(u"FileVersion").c_str()),
        u"Orvana Publish to Zenfolio Plugin Version 1.9 (Build 289)");
}

TEST(ComponentVersion, FixedPartIsVersionOneNineBuild289)
{
    const pal::VersionResource* version = pal::ResourcesOf(pal::ThisModule()).version;
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->fileVersion[0], 1);
    EXPECT_EQ(version->fileVersion[1], 9);
    EXPECT_EQ(version->fileVersion[2], 289);
    EXPECT_EQ(version->fileVersion[3], 0);
    EXPECT_EQ(version->language, 0x0409);
    EXPECT_EQ(version->codePage, 0x04b0);
    EXPECT_EQ(version->fileType, VFT_DLL);
}

TEST(ComponentIcon, LoadsAsASharedIcon)
{
    const HANDLE icon = LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(200), IMAGE_ICON, 0, 0, LR_SHARED);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(pal::IconBytes(static_cast<HICON>(icon)).empty());
}

} // namespace
