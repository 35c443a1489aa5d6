// Calendar time: file times as UTC calendar dates, and UTC as local time under
// the zone the C library is set to (TZ, else /etc/localtime), daylight saving
// included for the date converted.
#pragma once

#include "types.h"

#include <ctime>

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;     // 1 = January
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// Only the current zone (a null pointer) is provided, so the record stays opaque.
struct TIME_ZONE_INFORMATION;

// The current UTC time as 100 ns ticks since 1601-01-01.
STDAPI_(void) GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime);
// Fails with ERROR_INVALID_PARAMETER for a time past 0x7FFFFFFFFFFFFFFF ticks.
STDAPI_(BOOL) FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
// Fails with ERROR_INVALID_PARAMETER for a zone record, an invalid date or
// one whose local time falls outside 1601..30827.
STDAPI_(BOOL)
SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation, const SYSTEMTIME* lpUniversalTime,
                                LPSYSTEMTIME lpLocalTime);

namespace pal {

// A POSIX time as 100 ns ticks since 1601-01-01 UTC.
FILETIME FileTimeFromTimespec(const timespec& time);

} // namespace pal
