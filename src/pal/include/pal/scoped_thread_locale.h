// Sets the thread's locale for a scope and restores the previous one.
#pragma once

#include <windows.h>

namespace pal {

// Sets the thread's locale for a scope and restores the previous one.
class ScopedThreadLocale {
  public:
    explicit ScopedThreadLocale(LCID locale) : previous_(GetThreadLocale()) { SetThreadLocale(locale); }
    ~ScopedThreadLocale() { SetThreadLocale(previous_); }
    ScopedThreadLocale(const ScopedThreadLocale&) = delete;
    ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;

  private:
    LCID previous_;
};

} // namespace pal
