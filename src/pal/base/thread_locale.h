// The calling thread's locale identifier. Nothing in this layer formats by it
// yet; registration keeps the save-and-restore discipline around its scripts.
#pragma once

#include "types.h"

STDAPI_(LCID) GetThreadLocale();
STDAPI_(BOOL) SetThreadLocale(LCID Locale);
