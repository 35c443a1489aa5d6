#include "pal/scoped_thread_locale.h"

namespace {
thread_local LCID t_locale = LOCALE_USER_DEFAULT;
}

STDAPI_(LCID) GetThreadLocale()
{
    return t_locale;
}

STDAPI_(BOOL) SetThreadLocale(LCID Locale)
{
    t_locale = Locale;
    return TRUE;
}
