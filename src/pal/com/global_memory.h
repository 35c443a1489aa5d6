// Global memory blocks (HGLOBAL): movable blocks with a lock count.
#pragma once

#include "../base/types.h"

#include <memory>

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

STDAPI_(HGLOBAL) GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
STDAPI_(HGLOBAL) GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
STDAPI_(HGLOBAL) GlobalFree(HGLOBAL hMem); // null on success
STDAPI_(LPVOID) GlobalLock(HGLOBAL hMem);
STDAPI_(BOOL) GlobalUnlock(HGLOBAL hMem); // FALSE once the lock count reaches 0
STDAPI_(SIZE_T) GlobalSize(HGLOBAL hMem);
