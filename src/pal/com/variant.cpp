#include "pal/variant.h"

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Every integer a VARIANT carries, signed or not, fits here without loss.
__extension__ typedef __int128 Wide;

// IDispatch lives in dispatch.h; only its identity is needed here.
constexpr IID kIidDispatch = pal::MakeGuid("00020400-0000-0000-C000-000000000046");

// IDispatch derives from IUnknown alone, so both pointers share one address.
IUnknown* AsUnknown(IDispatch* p)
{
    return reinterpret_cast<IUnknown*>(p);
}

constexpr VARTYPE BaseType(VARTYPE vt)
{
    return static_cast<VARTYPE>(vt & ~VT_BYREF);
}

bool IsInterface(VARTYPE vt)
{
    return vt == VT_UNKNOWN || vt == VT_DISPATCH;
}

// The types a VARIANT may hold here, by value or by reference.
bool IsValidType(VARTYPE vt)
{
    const bool byRef = (vt & VT_BYREF) != 0;
    switch (BaseType(vt)) {
    case VT_EMPTY:
    case VT_NULL:
        return !byRef;
    case VT_VARIANT:
        return byRef;
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_BOOL:
    case VT_ERROR:
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return true;
    default:
        return false;
    }
}

struct Range {
    Wide min;
    Wide max;
    bool isUnsigned;
};

bool IntegerRange(VARTYPE vt, Range& range)
{
    auto span = [&range](Wide min, Wide max) {
        range = {min, max, min == 0};
        return true;
    };
    switch (vt) {
    case VT_I1:
        return span(INT8_MIN, INT8_MAX);
    case VT_UI1:
        return span(0, UINT8_MAX);
    case VT_I2:
        return span(INT16_MIN, INT16_MAX);
    case VT_UI2:
        return span(0, UINT16_MAX);
    case VT_I4:
    case VT_INT:
        return span(INT32_MIN, INT32_MAX);
    case VT_UI4:
    case VT_UINT:
        return span(0, UINT32_MAX);
    case VT_I8:
        return span(INT64_MIN, INT64_MAX);
    case VT_UI8:
        return span(0, UINT64_MAX);
    default:
        return false;
    }
}

// Integer value of an integer or VT_BOOL variant held by value.
bool ReadInteger(const VARIANT& v, Wide& out)
{
    switch (v.vt) {
    case VT_I1:
        out = static_cast<signed char>(v.cVal);
        return true;
    case VT_UI1:
        out = v.bVal;
        return true;
    case VT_I2:
        out = v.iVal;
        return true;
    case VT_UI2:
        out = v.uiVal;
        return true;
    case VT_I4:
        out = v.lVal;
        return true;
    case VT_UI4:
        out = v.ulVal;
        return true;
    case VT_INT:
        out = v.intVal;
        return true;
    case VT_UINT:
        out = v.uintVal;
        return true;
    case VT_I8:
        out = v.llVal;
        return true;
    case VT_UI8:
        out = v.ullVal;
        return true;
    case VT_BOOL:
        out = v.boolVal;
        return true;
    default:
        return false;
    }
}

void WriteInteger(VARIANT& v, VARTYPE vt, Wide value)
{
    v.vt = vt;
    switch (vt) {
    case VT_I1:
        v.cVal = static_cast<char>(value);
        break;
    case VT_UI1:
        v.bVal = static_cast<BYTE>(value);
        break;
    case VT_I2:
        v.iVal = static_cast<SHORT>(value);
        break;
    case VT_UI2:
        v.uiVal = static_cast<USHORT>(value);
        break;
    case VT_I4:
        v.lVal = static_cast<LONG>(value);
        break;
    case VT_UI4:
        v.ulVal = static_cast<ULONG>(value);
        break;
    case VT_INT:
        v.intVal = static_cast<INT>(value);
        break;
    case VT_UINT:
        v.uintVal = static_cast<UINT>(value);
        break;
    case VT_I8:
        v.llVal = static_cast<LONGLONG>(value);
        break;
    case VT_UI8:
        v.ullVal = static_cast<ULONGLONG>(value);
        break;
    default:
        break;
    }
}

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord)
{
    if (text.size() != lowerWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

enum class TextNumber { Ok, Overflow, Invalid };

// Decimal text: optional spaces and sign, digits, an optional fraction that
// rounds half to even as the automation conversions do.
TextNumber ParseDecimal(std::u16string_view text, Wide& value)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    // Past 2^64 nothing fits any target; keep validating the syntax only.
    constexpr Wide kCeiling = static_cast<Wide>(UINT64_MAX) + 1;
    Wide magnitude = 0;
    bool huge = false;
    bool anyDigit = false;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        anyDigit = true;
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > kCeiling) {
            magnitude = kCeiling;
            huge = true;
        }
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        int firstDigit = -1;
        bool restNonZero = false;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            anyDigit = true;
            if (firstDigit < 0) {
                firstDigit = text[i] - u'0';
            } else if (text[i] != u'0') {
                restNonZero = true;
            }
        }
        const bool roundUp = firstDigit > 5 || (firstDigit == 5 && (restNonZero || magnitude % 2 != 0));
        if (roundUp && !huge) magnitude += 1;
    }
    if (!anyDigit || i != text.size()) return TextNumber::Invalid;
    value = negative ? -magnitude : magnitude;
    return huge ? TextNumber::Overflow : TextNumber::Ok;
}

HRESULT AllocText(std::u16string_view text, VARIANT& out)
{
    BSTR bstr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!bstr) return E_OUTOFMEMORY;
    out.vt = VT_BSTR;
    out.bstrVal = bstr;
    return S_OK;
}

HRESULT IntegerToText(Wide value, VARIANT& out)
{
    char digits[24];
    const auto result = value < 0 ? std::to_chars(digits, digits + sizeof digits, static_cast<LONGLONG>(value))
                                  : std::to_chars(digits, digits + sizeof digits, static_cast<ULONGLONG>(value));
    std::u16string text(digits, result.ptr);
    return AllocText(text, out);
}

// A by-value view of a source: VT_BYREF is followed, nothing is copied or
// referenced, so the view must not outlive the source.
HRESULT Dereference(const VARIANT& src, VARIANT& view, int depth = 0)
{
    if (!IsValidType(src.vt)) return DISP_E_BADVARTYPE;
    if (!(src.vt & VT_BYREF)) {
        view = src;
        return S_OK;
    }
    if (!src.byref) return E_INVALIDARG;
    const VARTYPE base = BaseType(src.vt);
    if (base == VT_VARIANT) {
        // One level: a reference to a variant that itself refers to a variant is refused.
        if (depth > 0) return DISP_E_BADVARTYPE;
        return Dereference(*src.pvarVal, view, depth + 1);
    }
    VariantInit(&view);
    view.vt = base;
    switch (base) {
    case VT_I1:
        view.cVal = *src.pcVal;
        break;
    case VT_UI1:
        view.bVal = *src.pbVal;
        break;
    case VT_I2:
        view.iVal = *src.piVal;
        break;
    case VT_UI2:
        view.uiVal = *src.puiVal;
        break;
    case VT_I4:
        view.lVal = *src.plVal;
        break;
    case VT_UI4:
        view.ulVal = *src.pulVal;
        break;
    case VT_INT:
        view.intVal = *src.pintVal;
        break;
    case VT_UINT:
        view.uintVal = *src.puintVal;
        break;
    case VT_I8:
        view.llVal = *src.pllVal;
        break;
    case VT_UI8:
        view.ullVal = *src.pullVal;
        break;
    case VT_BOOL:
        view.boolVal = *src.pboolVal;
        break;
    case VT_ERROR:
        view.scode = *src.pscode;
        break;
    case VT_BSTR:
        view.bstrVal = *src.pbstrVal;
        break;
    case VT_UNKNOWN:
        view.punkVal = *src.ppunkVal;
        break;
    case VT_DISPATCH:
        view.pdispVal = *src.ppdispVal;
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

// Copy of a by-value source that owns its own string and references.
HRESULT DeepCopy(const VARIANT& src, VARIANT& out)
{
    out = src;
    if (src.vt == VT_BSTR && src.bstrVal) {
        // By bytes: odd byte lengths survive the copy.
        out.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src.bstrVal), SysStringByteLen(src.bstrVal));
        if (!out.bstrVal) {
            VariantInit(&out);
            return E_OUTOFMEMORY;
        }
    } else if (src.vt == VT_UNKNOWN && src.punkVal) {
        src.punkVal->AddRef();
    } else if (src.vt == VT_DISPATCH && src.pdispVal) {
        AsUnknown(src.pdispVal)->AddRef();
    }
    return S_OK;
}

HRESULT ToInterface(const VARIANT& src, VARTYPE vt, VARIANT& out)
{
    if (!IsInterface(src.vt)) return DISP_E_TYPEMISMATCH;
    IUnknown* from = src.vt == VT_UNKNOWN ? src.punkVal : AsUnknown(src.pdispVal);
    out.vt = vt;
    out.punkVal = nullptr;
    if (!from) return S_OK;
    void* result = nullptr;
    const HRESULT hr = from->QueryInterface(vt == VT_DISPATCH ? kIidDispatch : IID_IUnknown, &result);
    if (FAILED(hr)) {
        VariantInit(&out);
        return hr;
    }
    if (vt == VT_DISPATCH) {
        out.pdispVal = static_cast<IDispatch*>(result);
    } else {
        out.punkVal = static_cast<IUnknown*>(result);
    }
    return S_OK;
}

HRESULT ToText(const VARIANT& src, USHORT flags, VARIANT& out)
{
    if (src.vt == VT_EMPTY) return AllocText(u"", out);
    if (src.vt == VT_BOOL && (flags & VARIANT_ALPHABOOL)) return AllocText(src.boolVal ? u"True" : u"False", out);
    Wide value = 0;
    if (!ReadInteger(src, value)) return DISP_E_TYPEMISMATCH;
    return IntegerToText(value, out);
}

HRESULT ToBool(const VARIANT& src, VARIANT& out)
{
    out.vt = VT_BOOL;
    Wide value = 0;
    if (src.vt == VT_EMPTY) {
        value = 0;
    } else if (src.vt == VT_BSTR) {
        const std::u16string_view text = Trim(std::u16string_view(src.bstrVal, SysStringLen(src.bstrVal)));
        if (EqualsIgnoringCase(text, u"true")) {
            value = 1;
        } else if (EqualsIgnoringCase(text, u"false")) {
            value = 0;
        } else if (ParseDecimal(text, value) == TextNumber::Invalid) {
            return DISP_E_TYPEMISMATCH;
        }
        // A number too large for any integer is still non-zero, hence true.
    } else if (!ReadInteger(src, value)) {
        return DISP_E_TYPEMISMATCH;
    }
    out.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT ToInteger(const VARIANT& src, VARTYPE vt, const Range& range, VARIANT& out)
{
    Wide value = 0;
    if (src.vt == VT_EMPTY) {
        value = 0;
    } else if (src.vt == VT_BSTR) {
        switch (ParseDecimal(std::u16string_view(src.bstrVal, SysStringLen(src.bstrVal)), value)) {
        case TextNumber::Invalid:
            return DISP_E_TYPEMISMATCH;
        case TextNumber::Overflow:
            return DISP_E_OVERFLOW;
        case TextNumber::Ok:
            break;
        }
    } else if (ReadInteger(src, value)) {
        // VARIANT_TRUE is all bits set whatever the width.
        if (src.vt == VT_BOOL && range.isUnsigned && value < 0) value = range.max;
    } else {
        return DISP_E_TYPEMISMATCH;
    }
    if (value < range.min || value > range.max) return DISP_E_OVERFLOW;
    WriteInteger(out, vt, value);
    return S_OK;
}

// Fills `out` (initialised, empty) from a by-value source.
HRESULT Convert(const VARIANT& src, VARTYPE vt, USHORT flags, VARIANT& out)
{
    if (src.vt == vt) return DeepCopy(src, out);
    if (src.vt == VT_NULL) return DISP_E_TYPEMISMATCH;
    if (vt == VT_EMPTY) return S_OK;

    Range range{};
    if (IntegerRange(vt, range)) return ToInteger(src, vt, range, out);
    switch (vt) {
    case VT_BOOL:
        return ToBool(src, out);
    case VT_BSTR:
        return ToText(src, flags, out);
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return ToInterface(src, vt, out);
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

} // namespace

void VariantInit(VARIANT* pvarg)
{
    if (pvarg) std::memset(pvarg, 0, sizeof *pvarg);
}

HRESULT VariantClear(VARIANT* pvarg)
{
    if (!pvarg) return E_INVALIDARG;
    if (!IsValidType(pvarg->vt)) return DISP_E_BADVARTYPE;
    // References are borrowed; only by-value contents are owned.
    switch (pvarg->vt) {
    case VT_BSTR:
        SysFreeString(pvarg->bstrVal);
        break;
    case VT_UNKNOWN:
        if (pvarg->punkVal) pvarg->punkVal->Release();
        break;
    case VT_DISPATCH:
        if (pvarg->pdispVal) AsUnknown(pvarg->pdispVal)->Release();
        break;
    default:
        break;
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* pvargDest, const VARIANT* pvargSrc)
{
    if (!pvargDest || !pvargSrc) return E_INVALIDARG;
    if (!IsValidType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
    if (pvargDest == pvargSrc) return S_OK;
    // Copy first: on failure the destination keeps its old value.
    VARIANT copy;
    HRESULT hr = DeepCopy(*pvargSrc, copy);
    if (FAILED(hr)) return hr;
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* pvargDest, const VARIANT* pvarSrc, USHORT wFlags, VARTYPE vt)
{
    if (!pvargDest || !pvarSrc) return E_INVALIDARG;
    if (!IsValidType(vt) || (vt & VT_BYREF)) return DISP_E_BADVARTYPE;
    VARIANT source;
    HRESULT hr = Dereference(*pvarSrc, source);
    if (FAILED(hr)) return hr;

    // Convert into a temporary first: the destination may be the source.
    VARIANT result;
    VariantInit(&result);
    hr = Convert(source, vt, wFlags, result);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *pvargDest = result;
    return S_OK;
}
