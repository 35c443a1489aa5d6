// What a progress bar control keeps and how it answers its messages, for the
// backends that draw one (a terminal bar, a toolkit's bar, a test's record):
// the position stays inside the range, and each setter answers the old value.
#pragma once

#include "progress_bar.h"

#include <optional>

namespace pal {

struct ProgressBarState {
    int low = 0;
    int high = 100;
    int position = 0;
    int state = PBST_NORMAL;

    // The answer when message is a progress bar message; nothing otherwise.
    std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace pal
