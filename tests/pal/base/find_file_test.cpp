// FindFirstFileW as the upload asks it: one named file's size and times, and
// the errors of a missing file, a missing folder and a pattern.
#include "pal/base/find_file.h"
#include "pal/base/handle_table.h"
#include "pal/base/last_error.h"
#include "pal/utf.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class FindFile : public ::testing::Test {
  protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("find-file-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::u16string Wide(const fs::path& path) const { return pal::ToUtf16(path.string()); }

    fs::path folder_;
};

TEST_F(FindFile, GivesTheNamedFilesSizeLastWriteTimeAndLeafName)
{
    const fs::path file = folder_ / "IMG_0001 ü.jpg";
    std::ofstream(file, std::ios::binary) << std::string(5000, 'x');
    // 2021-03-04 05:06:07.5 UTC.
    const timespec times[2] = {{1614834367, 500000000}, {1614834367, 500000000}};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, file.c_str(), times, 0));

    const std::size_t openBefore = pal::handles::OpenCount(pal::HandleKind::FileSearch);
    WIN32_FIND_DATAW data{};
    const HANDLE search = FindFirstFileW(Wide(file).c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_EQ(openBefore + 1, pal::handles::OpenCount(pal::HandleKind::FileSearch));
    const ULONGLONG ticks =
        static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(132593079675000000ull, ticks);
    EXPECT_EQ(0u, data.nFileSizeHigh);
    EXPECT_EQ(5000u, data.nFileSizeLow);
    EXPECT_EQ(std::u16string(u"IMG_0001 ü.jpg"), std::u16string(data.cFileName));
    EXPECT_EQ(0u, data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(openBefore, pal::handles::OpenCount(pal::HandleKind::FileSearch));
    EXPECT_FALSE(FindClose(search)) << "a closed search stays closed";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(FindFile, MissingFilesFoldersAndPatternsFailWithTheirErrors)
{
    WIN32_FIND_DATAW data{};
    const struct {
        fs::path path;
        DWORD error;
    } cases[] = {
        {folder_ / "absent.jpg", ERROR_FILE_NOT_FOUND},
        {folder_ / "absent" / "a.jpg", ERROR_PATH_NOT_FOUND},
        {folder_ / "*.jpg", ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(Wide(c.path).c_str(), &data)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
    }
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW(u"", &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
