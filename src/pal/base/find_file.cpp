#include "find_file.h"

#include "handle_table.h"
#include "last_error.h"
#include "pal/utf.h"
#include "pal/wide_string.h"
#include "time.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace {

// A search over one literal name has nothing left to find, so the handle only
// needs to exist until FindClose.
struct FileSearch {};
using SearchHandles = pal::HandlesOf<FileSearch, pal::HandleKind::FileSearch>;

HANDLE Fail(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

DWORD MissingError(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
    struct stat parent {};
    const bool folderExists = ::stat(path.substr(0, slash).c_str(), &parent) == 0 && S_ISDIR(parent.st_mode);
    return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

} // namespace

STDAPI_(HANDLE) FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (!lpFileName || !*lpFileName || !lpFindFileData) return Fail(ERROR_INVALID_PARAMETER);
    try {
        const pal::WideView name(lpFileName);
        const std::size_t lastSlash = name.find_last_of(u'/');
        const pal::WideView leaf = lastSlash == pal::WideView::npos ? name : name.substr(lastSlash + 1);
        if (leaf.empty() || leaf.find_first_of(u"*?") != pal::WideView::npos) return Fail(ERROR_INVALID_NAME);
        if (leaf.size() >= MAX_PATH) return Fail(ERROR_FILENAME_EXCED_RANGE);

        const std::string path = pal::ToUtf8(name);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return Fail(errno == ENOENT || errno == ENOTDIR ? MissingError(path) : ERROR_ACCESS_DENIED);

        WIN32_FIND_DATAW data{};
        data.dwFileAttributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
        if (!(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
        if (data.dwFileAttributes == 0) data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
        // POSIX keeps no creation time here; the last status change is the closest it offers.
        data.ftCreationTime = pal::FileTimeFromTimespec(info.st_ctim);
        data.ftLastAccessTime = pal::FileTimeFromTimespec(info.st_atim);
        data.ftLastWriteTime = pal::FileTimeFromTimespec(info.st_mtim);
        const auto size = static_cast<ULONGLONG>(info.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
        std::copy(leaf.begin(), leaf.end(), data.cFileName);

        const pal::HandleValue handle = SearchHandles::Add(std::make_shared<FileSearch>());
        if (handle == 0) return Fail(ERROR_NOT_ENOUGH_MEMORY);
        *lpFindFileData = data;
        return reinterpret_cast<HANDLE>(handle);
    } catch (const std::bad_alloc&) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

STDAPI_(BOOL) FindClose(HANDLE hFindFile)
{
    if (!SearchHandles::Remove(reinterpret_cast<pal::HandleValue>(hFindFile))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
