// GUIDs: layout, comparison, and the textual form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include "../base/types.h"

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

// Braced upper-case text of a GUID, as the registry stores it.
std::u16string GuidToString(REFGUID guid);
// Parses the braced form; false when malformed.
bool TryParseGuid(std::u16string_view text, GUID& out);

} // namespace pal
