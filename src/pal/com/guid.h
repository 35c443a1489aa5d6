// GUIDs: layout, comparison, and the textual form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include "pal/base/types.h"

#include <compare>
#include <string>

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr GUID GUID_NULL{};

constexpr bool IsEqualGUID(REFGUID a, REFGUID b)
{
    return a == b;
}
constexpr bool IsEqualIID(REFIID a, REFIID b)
{
    return a == b;
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b)
{
    return a == b;
}

// Writes the braced form and a terminator into psz (cchMax >= 39); answers the
// number of characters written including the terminator, or 0 when too small.
int StringFromGUID2(REFGUID guid, LPOLESTR psz, int cchMax);
// Parse the braced form (hex digits in either case); a null string gives GUID_NULL.
// CLSIDFromString answers CO_E_CLASSSTRING when malformed; IIDFromString answers
// E_INVALIDARG for a wrong length and CO_E_IIDSTRING otherwise. No ProgID lookup.
HRESULT CLSIDFromString(LPCOLESTR psz, CLSID* pclsid);
HRESULT IIDFromString(LPCOLESTR psz, IID* piid);

constexpr HRESULT CO_E_CLASSSTRING = HR(0x800401F3);
constexpr HRESULT CO_E_IIDSTRING = HR(0x800401F4);

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

// Braced upper-case text of a GUID, as the registry stores it.
std::u16string GuidToString(REFGUID guid);
// Parses the braced form; false when malformed.
bool TryParseGuid(std::u16string_view text, GUID& out);

} // namespace pal
