// Byte text to wide text in a code page. The ANSI code page of this platform
// is the character set of the C library's locale for the calling thread
// (LC_CTYPE, as set with setlocale or uselocale); a process that never chose
// a locale runs in "C", whose set is ASCII.
#pragma once

#include "../base/types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;

// As on Windows: cbMultiByte -1 converts up to and including the terminator;
// cchWideChar 0 asks for the length. Bytes that are no character of the code
// page become U+FFFD, unless MB_ERR_INVALID_CHARS makes them an error
// (ERROR_NO_UNICODE_TRANSLATION). Answers the characters written, 0 on failure.
STDAPI_(int)
MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte, LPWSTR lpWideCharStr,
                    int cchWideChar);
