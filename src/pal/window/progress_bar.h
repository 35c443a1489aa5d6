// The progress bar control's messages and states, with the Windows values.
#pragma once

#include "window.h"

constexpr UINT PBM_SETRANGE = WM_USER + 1;
constexpr UINT PBM_SETPOS = WM_USER + 2;
constexpr UINT PBM_DELTAPOS = WM_USER + 3;
constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
constexpr UINT PBM_GETRANGE = WM_USER + 7;
constexpr UINT PBM_GETPOS = WM_USER + 8;
constexpr UINT PBM_SETSTATE = WM_USER + 16;
constexpr UINT PBM_GETSTATE = WM_USER + 17;

constexpr int PBST_NORMAL = 0x0001;
constexpr int PBST_ERROR = 0x0002;
constexpr int PBST_PAUSED = 0x0003;

struct PBRANGE {
    int iLow;
    int iHigh;
};
