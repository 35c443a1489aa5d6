// Interface identity for the templates: InterfaceId<I>::value is the IID of I.
// The system's interfaces bring theirs; an interface of our own declares its
// IID with PAL_DECLARE_IID, which also makes __uuidof work for it.
#pragma once

#include <guiddef.h>

namespace pal {

// Compile-time parse of "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (no braces), for constants.
consteval GUID MakeGuid(const char (&text)[37])
{
    auto hex = [](char c) -> unsigned {
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
        throw "not a hex digit";
    };
    auto read = [&](int from, int digits) {
        unsigned long long v = 0;
        for (int i = 0; i < digits; ++i)
            v = (v << 4) | hex(text[from + i]);
        return v;
    };
    if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') throw "misplaced dash";
    GUID g{};
    g.Data1 = static_cast<DWORD>(read(0, 8));
    g.Data2 = static_cast<WORD>(read(9, 4));
    g.Data3 = static_cast<WORD>(read(14, 4));
    g.Data4[0] = static_cast<BYTE>(read(19, 2));
    g.Data4[1] = static_cast<BYTE>(read(21, 2));
    for (int i = 0; i < 6; ++i)
        g.Data4[2 + i] = static_cast<BYTE>(read(24 + 2 * i, 2));
    return g;
}

#ifdef __MINGW32__
template <typename Interface> struct InterfaceId {
    static constexpr const IID& value = __uuidof(Interface);
};
#else
template <typename Interface> struct InterfaceId;
#endif

} // namespace pal

#ifdef __MINGW32__
#define PAL_DECLARE_IID(Interface, text)                                                                               \
    template <> struct __mingw_uuidof_s<Interface> {                                                                   \
        static constexpr IID __uuid_inst = pal::MakeGuid(text);                                                        \
    };                                                                                                                 \
    template <> constexpr const GUID& __mingw_uuidof<Interface>()                                                      \
    {                                                                                                                  \
        return __mingw_uuidof_s<Interface>::__uuid_inst;                                                               \
    }                                                                                                                  \
    inline constexpr IID IID_##Interface = pal::MakeGuid(text)
#else
#define PAL_DECLARE_IID(Interface, text)                                                                               \
    template <> struct pal::InterfaceId<Interface> {                                                                   \
        static constexpr IID value = pal::MakeGuid(text);                                                              \
    };                                                                                                                 \
    inline constexpr IID IID_##Interface = pal::InterfaceId<Interface>::value
#endif
