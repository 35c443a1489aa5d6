#include "pal/resources/icon_file.h"
#include "pal/resources/resources.h"
#include "pal/this_module.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace {

std::vector<BYTE> IconFile()
{
    std::ifstream in(PAL_TEST_ICON, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutDword(std::vector<BYTE>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<BYTE>(value >> (8 * i));
}

TEST(LoadImage, ASharedIconIsOneHandleWhoseBytesAreTheIconFile)
{
    const HANDLE first = LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(200), IMAGE_ICON, 16, 16, LR_SHARED);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(200), IMAGE_ICON, 32, 32, LR_SHARED), first);
    EXPECT_EQ(LoadImageW(pal::ThisModule(), u"#200", IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE), first);
    const std::span<const BYTE> bytes = pal::IconBytes(static_cast<HICON>(first));
    EXPECT_EQ(std::vector<BYTE>(bytes.begin(), bytes.end()), IconFile());

    int unrelated = 0;
    EXPECT_TRUE(pal::IconBytes(reinterpret_cast<HICON>(&unrelated)).empty()) << "a handle it did not issue";
    EXPECT_TRUE(pal::IconBytes(nullptr).empty());
}

TEST(LoadImage, AnswersNullForAMissingIconAnotherTypeOrTheStockImages)
{
    EXPECT_EQ(LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(201), IMAGE_ICON, 0, 0, LR_SHARED), nullptr);
    EXPECT_EQ(LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(1001), IMAGE_ICON, 0, 0, LR_SHARED), nullptr)
        << "a resource of another type under a free icon number";
    EXPECT_EQ(LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(200), 0 /* IMAGE_BITMAP */, 0, 0, LR_SHARED), nullptr);
    EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCEW(200), IMAGE_ICON, 0, 0, LR_SHARED), nullptr);
}

TEST(IconFile, AcceptsTheComponentIconAndAPngImage)
{
    EXPECT_TRUE(pal::IsIconFile(IconFile()));

    std::vector<BYTE> png = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    png.resize(22);
    PutDword(png, 14, 8);
    PutDword(png, 18, 22);
    png.insert(png.end(), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    EXPECT_TRUE(pal::IsIconFile(png));
}

TEST(IconFile, RejectsHeadersAndDirectoriesThatDoNotFit)
{
    const std::vector<BYTE> good = IconFile();
    const auto broken = [&](std::size_t at, std::uint32_t value, bool dword) {
        std::vector<BYTE> bytes = good;
        if (dword)
            PutDword(bytes, at, value);
        else
            bytes[at] = static_cast<BYTE>(value);
        return pal::IsIconFile(bytes);
    };
    EXPECT_FALSE(broken(2, 2, false)) << "type 2 is a cursor";
    EXPECT_FALSE(broken(4, 0, false)) << "no images";
    EXPECT_FALSE(broken(4, 200, false)) << "directory longer than the file";
    EXPECT_FALSE(broken(6 + 12, static_cast<std::uint32_t>(good.size()), true)) << "image offset at the end";
    EXPECT_FALSE(broken(6 + 8, static_cast<std::uint32_t>(good.size()), true)) << "image longer than the file";
    EXPECT_FALSE(broken(6 + 12, 2, true)) << "image inside the directory";
    EXPECT_FALSE(pal::IsIconFile(std::span(good).first(good.size() - 1))) << "last image cut short";
    EXPECT_FALSE(pal::IsIconFile({}));

    std::vector<BYTE> notBitmap = good;
    const std::size_t firstImage = notBitmap[18] | notBitmap[19] << 8;
    notBitmap[firstImage] = 12; // an OS/2 header, not a device-independent bitmap
    EXPECT_FALSE(pal::IsIconFile(notBitmap));
}

} // namespace
