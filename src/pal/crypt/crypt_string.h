// Base64 text to bytes, as the platform's string-to-binary conversion does it.
#pragma once

#include "../base/types.h"

constexpr DWORD CRYPT_STRING_BASE64 = 0x00000001;

// With pbBinary null, *pcbBinary receives the size needed. Answers FALSE for
// text that is not Base64 or a buffer that is too small (then *pcbBinary is
// the size needed). Whitespace and line breaks in the text are skipped.
STDAPI_(BOOL)
CryptStringToBinaryA(LPCSTR pszString, DWORD cchString, DWORD dwFlags, BYTE* pbBinary, DWORD* pcbBinary, DWORD* pdwSkip,
                     DWORD* pdwFlags);
