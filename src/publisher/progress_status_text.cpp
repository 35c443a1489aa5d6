#include "progress_status_text.h"

#include "contract/component_strings.h"
#include "pal/wide_format.h"

namespace orvana {

namespace {

constexpr UINT kPublishedCount = 10000;
constexpr UINT kEstimatedTimeLeft = 10001;
constexpr UINT kDays = 10002, kDay = 10003;
constexpr UINT kHours = 10004, kHour = 10005;
constexpr UINT kMinutes = 10006, kMinute = 10007;
constexpr UINT kSeconds = 10008, kSecond = 10009;
constexpr UINT kLessThanOneMinute = 10010;
constexpr UINT kEstimating = 10011;

constexpr ULONGLONG kTicksPerSecond = 10'000'000ull;
constexpr ULONGLONG kTicksPerMinute = 60 * kTicksPerSecond;
constexpr ULONGLONG kTicksPerHour = 60 * kTicksPerMinute;
constexpr ULONGLONG kTicksPerDay = 24 * kTicksPerHour;

void AddPiece(pal::WideString& text, ULONGLONG count, UINT one, UINT many)
{
    const pal::WideString piece =
        pal::FormatWide(W("%d %ls"), static_cast<int>(count), ComponentString(count == 1 ? one : many).c_str());
    if (!text.empty() && !piece.empty()) text += W(", ");
    text += piece;
}

} // namespace

pal::WideString TimeLeftText(std::optional<ULONGLONG> ticks)
{
    ULONGLONG rest = ticks.value_or(0);
    const ULONGLONG days = rest / kTicksPerDay;
    rest %= kTicksPerDay;
    const ULONGLONG hours = rest / kTicksPerHour;
    rest %= kTicksPerHour;
    const ULONGLONG minutes = rest / kTicksPerMinute;
    rest %= kTicksPerMinute;
    const ULONGLONG seconds = rest / kTicksPerSecond;

    pal::WideString text;
    if (days > 0) AddPiece(text, days, kDay, kDays);
    if (hours > 0) AddPiece(text, hours, kHour, kHours);
    if (days > 0) return text;
    if (minutes > 0) AddPiece(text, minutes, kMinute, kMinutes);
    if (hours > 0) return text;
    if (minutes <= 1) return ComponentString(kLessThanOneMinute);
    if (minutes <= 4 && seconds > 0) {
        // Seconds in steps of five, so the text does not flicker with every report.
        ULONGLONG rounded = (seconds + 4) / 5 * 5;
        if (rounded == 60) rounded = 59;
        AddPiece(text, rounded, kSecond, kSeconds);
    }
    return text;
}

bool EstimateShown(ULONGLONG pictures, ULONGLONG doneUnits)
{
    if (pictures == 0) return false; // nothing is being measured
    if (pictures <= 30) {
        const long long threshold = pictures <= 1    ? 75
                                    : pictures == 30 ? 50
                                                     : 75 - static_cast<long long>((25.0 * pictures - 25.0) / 29.0);
        return static_cast<long long>(doneUnits / pictures) >= threshold;
    }
    const long long threshold =
        pictures >= 1000 ? 50 : 15 + static_cast<long long>(35.0 * static_cast<double>(pictures - 30) / 970.0);
    return static_cast<long long>(doneUnits / 100) >= threshold;
}

pal::WideString ProgressStatusLine(ULONGLONG totalUnits, ULONGLONG doneUnits, std::optional<ULONGLONG> timeLeft,
                                   const LocaleNumberFormat& numbers)
{
    const ULONGLONG pictures = totalUnits / 100;
    const pal::WideString estimate = EstimateShown(pictures, doneUnits)
                                         ? pal::FormatWide(W("%ls %ls."), ComponentString(kEstimatedTimeLeft).c_str(),
                                                           TimeLeftText(timeLeft).c_str())
                                         : ComponentString(kEstimating);
    if (pictures <= 1) return estimate;
    const pal::WideString done = numbers.Format(static_cast<double>(doneUnits / 100), 0);
    const pal::WideString all = numbers.Format(static_cast<double>(pictures), 0);
    pal::WideString line = pal::FormatWide(ComponentString(kPublishedCount).c_str(), done.c_str(), all.c_str());
    if (!estimate.empty()) line += W(" ") + estimate;
    return line;
}

} // namespace orvana
