#include "pal/resources/resources.h"
#include "pal/this_module.h"
#include "pal/utf.h"
#include "pal/wide_format.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::u16string ProgramFile()
{
    char16_t buffer[4096];
    return {buffer, GetModuleFileNameW(pal::ThisModule(), buffer, 4096)};
}

std::vector<BYTE> VersionBlock(const std::u16string& file)
{
    DWORD handle = 1;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    return block;
}

// The text at a query path, as the component reads one; nothing when absent.
std::optional<std::u16string> Text(const std::vector<BYTE>& block, const std::u16string& path)
{
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length)) return std::nullopt;
    const auto* text = static_cast<const char16_t*>(value);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(text[length - 1], u'\0') << "text lengths count the terminator";
    return std::u16string(text, length - 1);
}

// The lookup of the publisher: the first translation names the string table.
std::optional<std::u16string> StringValue(const std::vector<BYTE>& block, const char16_t* key)
{
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &length) || length < 4)
        return std::nullopt;
    const auto* translation = static_cast<const WORD*>(value);
    return Text(block, pal::FormatWide(u"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], key));
}

TEST(VersionInfo, ReadsStringsThroughTheFirstTranslationByKeyInAnyCase)
{
    const std::vector<BYTE> block = VersionBlock(ProgramFile());
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(StringValue(block, u"FileDescription"), u"Resource test program");
    EXPECT_EQ(StringValue(block, u"FileVersion"), u"2.3 (Build 4)");
    EXPECT_EQ(StringValue(block, u"Comments"), u"Ünïcödé");
    EXPECT_EQ(Text(block, u"\\STRINGFILEINFO\\040704E4\\filedescription"), u"Resource test program")
        << "keys match without regard to case";
    EXPECT_EQ(Text(block, u"\\stringfileinfo\\040704e4\\FileDescriptio"), std::nullopt) << "but not by prefix";
}

TEST(VersionInfo, FixedPartCarriesTheNumbersOfTheVersionFile)
{
    const std::vector<BYTE> block = VersionBlock(ProgramFile());
    ASSERT_FALSE(block.empty());
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020003u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00040005u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00060007u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00080009u);
    EXPECT_EQ(fixed->dwFileType, VFT_APP);
}

TEST(VersionInfo, MissingEntriesAnswerFalseAndNoValue)
{
    const std::vector<BYTE> block = VersionBlock(ProgramFile());
    LPVOID value = &value;
    UINT length = 99;
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo\\040704e4\\LegalCopyright", &value, &length));
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo\\040904b0\\FileDescription", &value, &length))
        << "a table other than the translation's";
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation\\More", &value, &length));
    EXPECT_FALSE(VerQueryValueW(block.data(), nullptr, &value, &length));
    EXPECT_FALSE(VerQueryValueW(nullptr, u"\\", &value, &length));
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\", nullptr, &length));
}

TEST(VersionInfo, AShortBufferHoldsAPrefixThatQueriesSafely)
{
    const std::u16string file = ProgramFile();
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), nullptr);
    ASSERT_GT(size, 200u);
    // Exactly as long as the copy, so a read past it trips the address sanitizer.
    std::vector<BYTE> prefix(200);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, 200, prefix.data()));
    LPVOID value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueW(prefix.data(), u"\\", &value, &length));
    EXPECT_FALSE(VerQueryValueW(prefix.data(), u"\\VarFileInfo\\Translation", &value, &length));
    EXPECT_FALSE(VerQueryValueW(prefix.data(), u"\\StringFileInfo\\040704e4\\Comments", &value, &length));

    std::vector<BYTE> tiny(5);
    EXPECT_FALSE(GetFileVersionInfoW(file.c_str(), 0, 5, tiny.data()));
}

TEST(VersionInfo, BlocksThatAreNoVersionInfoAreRefused)
{
    LPVOID value = nullptr;
    UINT length = 0;
    std::vector<BYTE> zeros(64);
    EXPECT_FALSE(VerQueryValueW(zeros.data(), u"\\", &value, &length));

    std::vector<BYTE> block = VersionBlock(ProgramFile());
    ASSERT_GT(block.size(), 100u);
    std::vector<BYTE> wrongKey = block;
    wrongKey[6] = 'X'; // first character of "VS_VERSION_INFO"
    EXPECT_FALSE(VerQueryValueW(wrongKey.data(), u"\\", &value, &length));

    // A child that claims to be longer than its parent ends the walk.
    std::vector<BYTE> overlong = block;
    const std::size_t child = 6 + 2 * 16 + 2 + sizeof(VS_FIXEDFILEINFO); // header, key, padding, value
    overlong[child] = 0xFF;
    overlong[child + 1] = 0x7F;
    EXPECT_FALSE(VerQueryValueW(overlong.data(), u"\\StringFileInfo\\040704e4\\Comments", &value, &length));
}

TEST(VersionInfo, FilesWithoutAVersionBlockHaveNone)
{
    BYTE buffer[64];
    EXPECT_EQ(GetFileVersionInfoSizeW(pal::ToUtf16(PAL_TEST_DATA_DIR "/strings.txt").c_str(), nullptr), 0u);
    EXPECT_EQ(GetFileVersionInfoSizeW(u"/no/such/file.so", nullptr), 0u);
    EXPECT_EQ(GetFileVersionInfoSizeW(nullptr, nullptr), 0u);
    EXPECT_FALSE(GetFileVersionInfoW(u"/no/such/file.so", 0, sizeof buffer, buffer));
}

TEST(VersionInfo, ReadsALibraryFileWithoutKeepingItLoaded)
{
    if (void* loaded = dlopen(PAL_TEST_UNLOADED_MODULE, RTLD_LAZY | RTLD_NOLOAD)) {
        dlclose(loaded);
        GTEST_SKIP() << "something in this process loaded the library";
    }
    const std::vector<BYTE> block = VersionBlock(pal::ToUtf16(PAL_TEST_UNLOADED_MODULE));
    EXPECT_EQ(StringValue(block, u"FileDescription"), u"Resource test module");
    EXPECT_EQ(dlopen(PAL_TEST_UNLOADED_MODULE, RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

} // namespace
