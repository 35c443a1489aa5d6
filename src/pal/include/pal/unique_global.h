// Owners of global memory blocks: the block, and a lock on it.
#pragma once

#include <memory>
#include <windows.h>

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
