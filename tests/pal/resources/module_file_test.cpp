#include "pal/com/dispatch.h"
#include "pal/resources/resources.h"
#include "pal/this_module.h"
#include "pal/type_library_description.h"
#include "pal/utf.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

extern "C" const pal::TypeLibraryDescription TestTypeLibrary{};

namespace {

namespace fs = std::filesystem;

std::u16string FileName(HMODULE module)
{
    char16_t buffer[4096];
    const DWORD length = GetModuleFileNameW(module, buffer, 4096);
    return {buffer, length};
}

TEST(GetModuleFileName, AnswersTheProgramsAbsolutePathWhichFindsItAgain)
{
    const fs::path file = pal::ToUtf8(FileName(pal::ThisModule()));
    EXPECT_TRUE(file.is_absolute()) << file;
    EXPECT_TRUE(fs::equivalent(file, "/proc/self/exe")) << file;
    EXPECT_EQ(FileName(nullptr), FileName(pal::ThisModule())) << "a null module names the main program";
    EXPECT_EQ(pal::ModuleFromPath(FileName(pal::ThisModule())), pal::ThisModule());
}

TEST(GetModuleFileName, CutsALongNameAndAnswersTheBufferSize)
{
    const std::u16string full = FileName(pal::ThisModule());
    char16_t buffer[6] = u"#####";
    EXPECT_EQ(GetModuleFileNameW(pal::ThisModule(), buffer, 5), 5u);
    EXPECT_EQ(std::u16string(buffer), full.substr(0, 4));
    EXPECT_EQ(GetModuleFileNameW(pal::ThisModule(), buffer, 0), 0u);
}

TEST(ModuleFromPath, LoadsALibraryThatNamesItsFileAndReadsItsOwnTable)
{
    const HINSTANCE module = pal::ModuleFromPath(pal::ToUtf16(PAL_TEST_MODULE));
    ASSERT_NE(module, nullptr);
    EXPECT_NE(module, pal::ThisModule());
    EXPECT_EQ(pal::ModuleFromPath(pal::ToUtf16(PAL_TEST_MODULE)), module);
    EXPECT_TRUE(fs::equivalent(fs::path(pal::ToUtf8(FileName(module))), PAL_TEST_MODULE));

    char16_t buffer[64];
    const int length = LoadStringW(module, 1, buffer, 64);
    EXPECT_EQ(std::u16string(buffer, static_cast<std::size_t>(length)), u"From the loaded module");
    EXPECT_EQ(LoadStringW(module, 3, buffer, 64), 0) << "the program's strings are not the library's";
    EXPECT_EQ(pal::ResourcesOf(module).typeLibrary, nullptr);
    EXPECT_EQ(pal::ResourcesOf(pal::ThisModule()).typeLibrary, &TestTypeLibrary) << "TYPELIB 1 of test.manifest";
}

TEST(ModuleFromPath, AnswersNullForFilesThatAreNoModuleWithATable)
{
    EXPECT_EQ(pal::ModuleFromPath(pal::ToUtf16(PAL_TEST_DATA_DIR "/strings.txt")), nullptr);
    EXPECT_EQ(pal::ModuleFromPath(pal::ToUtf16(PAL_TEST_DATA_DIR "/no-such-file.so")), nullptr);
    EXPECT_EQ(pal::ModuleFromPath(u""), nullptr);

    Dl_info libc{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&dlopen), &libc), 0);
    EXPECT_EQ(pal::ModuleFromPath(pal::ToUtf16(libc.dli_fname)), nullptr) << libc.dli_fname;
}

TEST(ModuleFromPath, RefusesTheTableOfADependency)
{
    EXPECT_EQ(pal::ModuleFromPath(pal::ToUtf16(PAL_TEST_TABLELESS_MODULE)), nullptr);
    EXPECT_EQ(GetFileVersionInfoSizeW(pal::ToUtf16(PAL_TEST_TABLELESS_MODULE).c_str(), nullptr), 0u);
}

} // namespace
