#include "modified_date.h"

#include "pal/hresult_error.h"
#include "pal/wide_format.h"

namespace orvana {

pal::WideString FormatCalendarTime(const SYSTEMTIME& local)
{
    static constexpr const WCHAR* kDays[] = {W("Sun"), W("Mon"), W("Tue"), W("Wed"), W("Thu"), W("Fri"), W("Sat")};
    static constexpr const WCHAR* kMonths[] = {W("Jan"), W("Feb"), W("Mar"), W("Apr"), W("May"), W("Jun"),
                                               W("Jul"), W("Aug"), W("Sep"), W("Oct"), W("Nov"), W("Dec")};
    const WCHAR* day = local.wDayOfWeek < 7 ? kDays[local.wDayOfWeek] : kDays[0];
    const WCHAR* month = local.wMonth >= 1 && local.wMonth <= 12 ? kMonths[local.wMonth - 1] : kMonths[0];
    return pal::FormatWide(W("%3s, %d %3s %4d %02d:%02d:%02d"), day, int{local.wDay}, month, int{local.wYear},
                           int{local.wHour}, int{local.wMinute}, int{local.wSecond});
}

pal::WideString FormatModifiedDate(FILETIME utc)
{
    SYSTEMTIME universal{}, local{};
    // A null zone is the one in force now, with its daylight saving rule for that date.
    if (!FileTimeToSystemTime(&utc, &universal) || !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        throw pal::HResultError(HRESULT_FROM_WIN32(GetLastError()));
    return FormatCalendarTime(local);
}

} // namespace orvana
