// Runs a clean-up when the scope ends, on every path, for a resource that has
// no owner type of its own.
#pragma once

#include <type_traits>
#include <utility>

namespace pal {

template <typename CleanUp> class ScopeGuard {
  public:
    explicit ScopeGuard(CleanUp cleanUp) noexcept(std::is_nothrow_move_constructible_v<CleanUp>)
        : cleanUp_(std::move(cleanUp))
    {
    }
    ~ScopeGuard()
    {
        if (active_) cleanUp_();
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    // The resource was handed on; nothing is left to clean up.
    void Dismiss() noexcept { active_ = false; }

  private:
    CleanUp cleanUp_;
    bool active_ = true;
};

} // namespace pal
