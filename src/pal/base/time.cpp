#include "pal/base/time.h"

#include "pal/base/last_error.h"

#include <chrono>
#include <ctime>

namespace {

using namespace std::chrono;

constexpr ULONGLONG kTicksPerMillisecond = 10'000;
constexpr ULONGLONG kMillisecondsPerDay = 86'400'000;
constexpr sys_days kFileTimeEpoch = sys_days{year{1601} / January / 1};

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool InRange(const year_month_day& date)
{
    return date.ok() && date.year() >= year{1601} && date.year() <= year{30827};
}

} // namespace

STDAPI_(BOOL) FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    if (!lpFileTime || !lpSystemTime) return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG ticks = static_cast<ULONGLONG>(lpFileTime->dwHighDateTime) << 32 | lpFileTime->dwLowDateTime;
    if (ticks > 0x7FFFFFFFFFFFFFFFull) return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG milliseconds = ticks / kTicksPerMillisecond;
    const ULONGLONG inDay = milliseconds % kMillisecondsPerDay;
    const sys_days day = kFileTimeEpoch + days{static_cast<int>(milliseconds / kMillisecondsPerDay)};
    const year_month_day date{day};
    lpSystemTime->wYear = static_cast<WORD>(static_cast<int>(date.year()));
    lpSystemTime->wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
    lpSystemTime->wDayOfWeek = static_cast<WORD>(weekday{day}.c_encoding());
    lpSystemTime->wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
    lpSystemTime->wHour = static_cast<WORD>(inDay / 3'600'000);
    lpSystemTime->wMinute = static_cast<WORD>(inDay / 60'000 % 60);
    lpSystemTime->wSecond = static_cast<WORD>(inDay / 1'000 % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(inDay % 1'000);
    return TRUE;
}

STDAPI_(BOOL)
SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation, const SYSTEMTIME* lpUniversalTime,
                                LPSYSTEMTIME lpLocalTime)
{
    if (lpTimeZoneInformation || !lpUniversalTime || !lpLocalTime) return Fail(ERROR_INVALID_PARAMETER);
    const SYSTEMTIME& utc = *lpUniversalTime;
    const year_month_day date{year{utc.wYear}, month{utc.wMonth}, day{utc.wDay}};
    if (!InRange(date) || utc.wHour > 23 || utc.wMinute > 59 || utc.wSecond > 59 || utc.wMilliseconds > 999)
        return Fail(ERROR_INVALID_PARAMETER);
    const std::time_t seconds = static_cast<std::time_t>(sys_seconds{sys_days{date}}.time_since_epoch().count()) +
                                utc.wHour * 3600 + utc.wMinute * 60 + utc.wSecond;
    // The zone may have changed since the last conversion (TZ, /etc/localtime);
    // localtime_r alone need not look again.
    tzset();
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return Fail(ERROR_INVALID_PARAMETER);
    const year_month_day localDate{year{local.tm_year + 1900}, month{static_cast<unsigned>(local.tm_mon + 1)},
                                   day{static_cast<unsigned>(local.tm_mday)}};
    if (!InRange(localDate)) return Fail(ERROR_INVALID_PARAMETER);
    lpLocalTime->wYear = static_cast<WORD>(local.tm_year + 1900);
    lpLocalTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
    lpLocalTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    lpLocalTime->wDay = static_cast<WORD>(local.tm_mday);
    lpLocalTime->wHour = static_cast<WORD>(local.tm_hour);
    lpLocalTime->wMinute = static_cast<WORD>(local.tm_min);
    // A leap second in a "right/" zone is shown as the second before it.
    lpLocalTime->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    lpLocalTime->wMilliseconds = utc.wMilliseconds;
    return TRUE;
}

namespace pal {

FILETIME FileTimeFromTimespec(const timespec& time)
{
    constexpr ULONGLONG kEpochDifference = 11644473600ull; // seconds from 1601 to 1970
    const ULONGLONG ticks = (static_cast<ULONGLONG>(time.tv_sec) + kEpochDifference) * 10000000ull +
                            static_cast<ULONGLONG>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace pal

STDAPI_(void) GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    *lpSystemTimeAsFileTime = pal::FileTimeFromTimespec(now);
}
