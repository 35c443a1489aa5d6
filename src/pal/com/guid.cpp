#include "pal/com/guid.h"

#include "pal/guid_text.h"

namespace {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" without its terminator.
constexpr std::size_t kBracedLength = 38;

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool ReadHex(std::u16string_view text, std::size_t from, std::size_t digits, std::uint32_t& value)
{
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[from + i]);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return true;
}

bool ParseBraced(std::u16string_view text, GUID& out)
{
    if (text.size() != kBracedLength || text.front() != u'{' || text.back() != u'}') return false;
    if (text[9] != u'-' || text[14] != u'-' || text[19] != u'-' || text[24] != u'-') return false;

    GUID g{};
    std::uint32_t v = 0;
    if (!ReadHex(text, 1, 8, v)) return false;
    g.Data1 = v;
    if (!ReadHex(text, 10, 4, v)) return false;
    g.Data2 = static_cast<WORD>(v);
    if (!ReadHex(text, 15, 4, v)) return false;
    g.Data3 = static_cast<WORD>(v);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!ReadHex(text, 20 + 2 * i, 2, v)) return false;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (!ReadHex(text, 25 + 2 * i, 2, v)) return false;
        g.Data4[2 + i] = static_cast<BYTE>(v);
    }
    out = g;
    return true;
}

// Writes exactly kBracedLength characters, no terminator.
void FormatBraced(const GUID& g, char16_t* out)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    auto put = [&out](std::uint32_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            *out++ = kDigits[(value >> shift) & 0xF];
    };
    *out++ = u'{';
    put(g.Data1, 8);
    *out++ = u'-';
    put(g.Data2, 4);
    *out++ = u'-';
    put(g.Data3, 4);
    *out++ = u'-';
    put(g.Data4[0], 2);
    put(g.Data4[1], 2);
    *out++ = u'-';
    for (int i = 2; i < 8; ++i)
        put(g.Data4[i], 2);
    *out++ = u'}';
}

// Length of psz, but stops looking one past the braced length: anything
// longer is malformed whatever follows.
std::size_t BoundedLength(LPCOLESTR psz)
{
    std::size_t n = 0;
    while (n <= kBracedLength && psz[n] != 0)
        ++n;
    return n;
}

} // namespace

int StringFromGUID2(REFGUID guid, LPOLESTR psz, int cchMax)
{
    if (!psz || cchMax < static_cast<int>(kBracedLength + 1)) return 0;
    FormatBraced(guid, psz);
    psz[kBracedLength] = 0;
    return static_cast<int>(kBracedLength + 1);
}

HRESULT CLSIDFromString(LPCOLESTR psz, CLSID* pclsid)
{
    if (!pclsid) return E_INVALIDARG;
    *pclsid = GUID_NULL;
    if (!psz) return S_OK;
    return ParseBraced(std::u16string_view(psz, BoundedLength(psz)), *pclsid) ? S_OK : CO_E_CLASSSTRING;
}

HRESULT IIDFromString(LPCOLESTR psz, IID* piid)
{
    if (!piid) return E_INVALIDARG;
    *piid = GUID_NULL;
    if (!psz) return S_OK;
    const std::size_t length = BoundedLength(psz);
    if (length != kBracedLength) return E_INVALIDARG;
    return ParseBraced(std::u16string_view(psz, length), *piid) ? S_OK : CO_E_IIDSTRING;
}

namespace pal {

bool TryParseGuid(std::u16string_view text, GUID& out)
{
    return ParseBraced(text, out);
}

} // namespace pal
