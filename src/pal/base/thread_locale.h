// The calling thread's locale identifier. Nothing in this layer formats by it
// yet; registration keeps the save-and-restore discipline around its scripts.
#pragma once

#include "pal/base/types.h"

STDAPI_(LCID) GetThreadLocale();
STDAPI_(BOOL) SetThreadLocale(LCID Locale);

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
