// The user's number format and the formatting calls that use it, with the
// Windows names, constants and error codes. The user's locale is the one the
// POSIX environment names for numbers (LC_ALL, then LC_NUMERIC, then LANG);
// it is looked up again whenever those variables change, so a process that
// switches them (tests do) sees the new format at once.
#pragma once

#include "../base/types.h"

using LCTYPE = DWORD;

constexpr LCTYPE LOCALE_SDECIMAL = 0x0000000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x0000000F;
constexpr LCTYPE LOCALE_SGROUPING = 0x00000010;
constexpr LCTYPE LOCALE_IDIGITS = 0x00000011;
constexpr LCTYPE LOCALE_ILZERO = 0x00000012;
constexpr LCTYPE LOCALE_INEGNUMBER = 0x00001010;
// With an I... type: the answer is a DWORD written into the buffer, whose
// size is then counted in WCHARs (2 for a DWORD).
constexpr LCTYPE LOCALE_RETURN_NUMBER = 0x20000000;
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;

// The format GetNumberFormatW applies when one is passed in.
struct NUMBERFMTW {
    UINT NumDigits;   // digits after the decimal separator
    UINT LeadingZero; // 1: "0.5", 0: ".5"
    UINT Grouping;    // 3 = "3;0" (thousands), 32 = "3;2;0", 0 = no grouping
    LPWSTR lpDecimalSep;
    LPWSTR lpThousandSep;
    UINT NegativeOrder; // 0 "(1.1)", 1 "-1.1", 2 "- 1.1", 3 "1.1-", 4 "1.1 -"
};

// Writes the locale's information as text (or as a number with
// LOCALE_RETURN_NUMBER). cchData 0 asks for the size needed, terminator
// included. Answers the characters written, or 0 with the last error set:
// ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER, ERROR_INVALID_FLAGS.
// LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT (the "C" locale) are known.
STDAPI_(int) GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);

// Formats lpValue (digits with an optional leading '-' and one optional '.')
// by lpFormat, or by the locale's own format when lpFormat is null; the
// fraction is rounded half away from zero to NumDigits. cchNumber 0 asks for
// the size needed. Answers characters written including the terminator, or 0
// with the last error set (ERROR_INVALID_PARAMETER for a malformed value,
// ERROR_INSUFFICIENT_BUFFER).
STDAPI_(int)
GetNumberFormatW(LCID Locale, DWORD dwFlags, LPCWSTR lpValue, const NUMBERFMTW* lpFormat, LPWSTR lpNumberStr,
                 int cchNumber);

// The short byte-size text, three significant digits, truncated, with the
// user's decimal separator: "532 bytes", "1.30 KB", "22.9 KB", "1.50 GB";
// from 1000 of a unit the whole number, grouped: "1,023 KB". Cut to cchBuf.
// Answers pszBuf, or null when cchBuf is 0 or pszBuf null.
STDAPI_(LPWSTR) StrFormatByteSizeW(LONGLONG qdw, LPWSTR pszBuf, UINT cchBuf);
