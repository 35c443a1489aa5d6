// File lookup by name (FindFirstFileW), as far as the component asks it: the
// attributes, size and times of one named file.
#pragma once

#include "types.h"

constexpr DWORD MAX_PATH = 260;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// The name's last component is matched literally: wildcards are not offered
// and fail with ERROR_INVALID_NAME. A missing file fails with
// ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when its folder is missing).
STDAPI_(HANDLE) FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
STDAPI_(BOOL) FindClose(HANDLE hFindFile);
