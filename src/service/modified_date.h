// A file's modification time as the upload states it: local time under the
// machine's current zone rules, "Tue, 5 Mar 2024 14:03:09", no zone named.
#pragma once

#include "pal/wide_string.h"

#include <windows.h>

namespace orvana {

// Throws pal::HResultError when the time has no calendar date (past year 30827).
pal::WideString FormatModifiedDate(FILETIME utc);

// The format itself: English names, a day of week past Saturday as "Sun" and a
// month outside 1..12 as "Jan".
pal::WideString FormatCalendarTime(const SYSTEMTIME& local);

} // namespace orvana
