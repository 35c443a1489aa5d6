// Global memory blocks (HGLOBAL): movable blocks with a lock count.
#pragma once

#include "pal/base/types.h"

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

namespace pal {

struct GlobalFreeDeleter {
    void operator()(void* block) const noexcept { GlobalFree(block); }
};
// Frees a global block on every path; T views a fixed block's data.
template <typename T = void> using UniqueGlobal = std::unique_ptr<T, GlobalFreeDeleter>;

// Holds one lock on a global memory block for a scope.
class GlobalLockGuard {
  public:
    explicit GlobalLockGuard(HGLOBAL block) noexcept : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard()
    {
        if (data_) GlobalUnlock(block_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    void* Data() const noexcept { return data_; }
    SIZE_T Size() const noexcept { return block_ ? GlobalSize(block_) : 0; }

  private:
    HGLOBAL block_;
    void* data_;
};

} // namespace pal
