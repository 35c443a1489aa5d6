// Stand-in for the system header of the same name. printf-style formatting
// over UTF-16, with the wide-format rules of the Windows C runtime: "%s" and "%ls" take a wide string (const
// char16_t*), "%hs" a narrow UTF-8 string, a null string prints "(null)"; "l" on d, i, u, x, X means 32 bits as
// Windows' long does, "ll" and "I64" mean 64 bits, "z" and "I" size_t. Flags
// - + space # 0, width, precision and '*' work as in printf. Unknown conversions
// are copied as they stand.
#pragma once

#include "../base/types.h"

#include <cstdarg>
#include <cstddef>

constexpr HRESULT STRSAFE_E_INSUFFICIENT_BUFFER = HR(0x8007007A);
constexpr HRESULT STRSAFE_E_INVALID_PARAMETER = HR(0x80070057);
constexpr std::size_t STRSAFE_MAX_CCH = 2147483647;

// Writes at most cchDest characters, terminator included. Output that does not
// fit is cut and terminated, and the answer is STRSAFE_E_INSUFFICIENT_BUFFER.
HRESULT StringCchPrintfW(LPWSTR pszDest, std::size_t cchDest, LPCWSTR pszFormat, ...);
HRESULT StringCchVPrintfW(LPWSTR pszDest, std::size_t cchDest, LPCWSTR pszFormat, va_list argList);
