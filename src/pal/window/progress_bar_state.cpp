#include "progress_bar_state.h"

#include <algorithm>

namespace pal {

namespace {

LRESULT PackedRange(int low, int high)
{
    return static_cast<LRESULT>((static_cast<DWORD>(static_cast<WORD>(high)) << 16) | static_cast<WORD>(low));
}

} // namespace

std::optional<LRESULT> ProgressBarState::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto clamp = [this](long long value) {
        return static_cast<int>(std::clamp<long long>(value, std::min(low, high), std::max(low, high)));
    };
    switch (message) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        const LRESULT previous = PackedRange(low, high);
        if (message == PBM_SETRANGE) {
            low = static_cast<WORD>(lParam);
            high = static_cast<WORD>(static_cast<DWORD>(lParam) >> 16);
        } else {
            low = static_cast<int>(wParam);
            high = static_cast<int>(lParam);
        }
        position = clamp(position);
        return previous;
    }
    case PBM_SETPOS: {
        const int previous = position;
        position = clamp(static_cast<int>(wParam));
        return previous;
    }
    case PBM_DELTAPOS: {
        const int previous = position;
        position = clamp(static_cast<long long>(position) + static_cast<int>(wParam));
        return previous;
    }
    case PBM_GETPOS:
        return position;
    case PBM_GETRANGE:
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = {low, high};
        return wParam ? low : high;
    case PBM_SETSTATE: {
        const int previous = state;
        if (wParam >= PBST_NORMAL && wParam <= PBST_PAUSED) state = static_cast<int>(wParam);
        return previous;
    }
    case PBM_GETSTATE:
        return state;
    default:
        return std::nullopt;
    }
}

} // namespace pal
