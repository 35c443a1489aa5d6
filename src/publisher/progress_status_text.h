// The status line of a publish run: how many pictures are done and, once the
// run is far enough along for the estimate to mean something, the time left.
#pragma once

#include "imaging/locale_number_format.h"
#include "pal/wide_string.h"

#include <optional>
#include <windows.h>

namespace orvana {

// "1 day, 3 hours", "2 minutes, 35 seconds", "less than one minute"...; an
// unknown time (nothing) reads as less than one minute.
pal::WideString TimeLeftText(std::optional<ULONGLONG> ticks);

// Whether a run of `pictures` with `doneUnits` (100 a picture) done is far
// enough along: a small run by its overall percentage, a large one by whole
// pictures, later for small runs and for very large ones.
bool EstimateShown(ULONGLONG pictures, ULONGLONG doneUnits);

// "Published 12 of 40 items. Estimating remaining time..." and the like; for
// a run of one picture the estimate text alone.
pal::WideString ProgressStatusLine(ULONGLONG totalUnits, ULONGLONG doneUnits, std::optional<ULONGLONG> timeLeft,
                                   const LocaleNumberFormat& numbers);

} // namespace orvana
