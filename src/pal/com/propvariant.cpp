// PROPVARIANT ownership: what a value holds is task memory (texts, arrays,
// blobs), a BSTR or an interface reference, released and copied as the system does.
#include "pal/com/propvariant.h"

#include "pal/com/stream.h"

#include <cstring>

namespace {

template <typename Element> void FreeVector(ULONG count, Element* elements)
{
    if constexpr (std::is_pointer_v<Element>) {
        for (ULONG i = 0; i < count; ++i)
            CoTaskMemFree(elements[i]);
    }
    CoTaskMemFree(elements);
}

// A copy of count elements in task memory; null when count is 0.
template <typename Element> Element* CopyElements(const Element* from, ULONG count)
{
    if (count == 0) return nullptr;
    auto* to = static_cast<Element*>(CoTaskMemAlloc(sizeof(Element) * count));
    if (to) std::memcpy(to, from, sizeof(Element) * count);
    return to;
}

template <typename Char> Char* CopyText(const Char* from)
{
    if (!from) return nullptr;
    std::size_t length = 0;
    while (from[length])
        ++length;
    auto* to = static_cast<Char*>(CoTaskMemAlloc(sizeof(Char) * (length + 1)));
    if (to) std::memcpy(to, from, sizeof(Char) * (length + 1));
    return to;
}

// Copies a vector of texts; false when memory ran out (what was copied is freed).
template <typename Text> bool CopyTextVector(const Text* from, ULONG count, Text*& to)
{
    to = CopyElements(from, count);
    if (count != 0 && !to) return false;
    for (ULONG i = 0; i < count; ++i) {
        to[i] = CopyText(from[i]);
        if (from[i] && !to[i]) {
            FreeVector(i, to);
            to = nullptr;
            return false;
        }
    }
    return true;
}

} // namespace

STDAPI PropVariantClear(PROPVARIANT* pvar)
{
    if (!pvar) return E_INVALIDARG;
    switch (pvar->vt) {
    case VT_LPSTR:
        CoTaskMemFree(pvar->pszVal);
        break;
    case VT_LPWSTR:
        CoTaskMemFree(pvar->pwszVal);
        break;
    case VT_BSTR:
        SysFreeString(pvar->bstrVal);
        break;
    case VT_UNKNOWN:
        if (pvar->punkVal) pvar->punkVal->Release();
        break;
    case VT_CLSID:
        CoTaskMemFree(pvar->puuid);
        break;
    case VT_BLOB:
        CoTaskMemFree(pvar->blob.pBlobData);
        break;
    case VT_VECTOR | VT_UI1:
        FreeVector(pvar->caub.cElems, pvar->caub.pElems);
        break;
    case VT_VECTOR | VT_I2:
        FreeVector(pvar->cai.cElems, pvar->cai.pElems);
        break;
    case VT_VECTOR | VT_UI2:
        FreeVector(pvar->caui.cElems, pvar->caui.pElems);
        break;
    case VT_VECTOR | VT_I4:
        FreeVector(pvar->cal.cElems, pvar->cal.pElems);
        break;
    case VT_VECTOR | VT_UI4:
        FreeVector(pvar->caul.cElems, pvar->caul.pElems);
        break;
    case VT_VECTOR | VT_I8:
        FreeVector(pvar->cah.cElems, pvar->cah.pElems);
        break;
    case VT_VECTOR | VT_UI8:
        FreeVector(pvar->cauh.cElems, pvar->cauh.pElems);
        break;
    case VT_VECTOR | VT_LPSTR:
        FreeVector(pvar->calpstr.cElems, pvar->calpstr.pElems);
        break;
    case VT_VECTOR | VT_LPWSTR:
        FreeVector(pvar->calpwstr.cElems, pvar->calpwstr.pElems);
        break;
    default:
        if ((pvar->vt & VT_VECTOR) != 0 || (pvar->vt & VT_BYREF) != 0) return DISP_E_BADVARTYPE;
        break;
    }
    PropVariantInit(pvar);
    return S_OK;
}

STDAPI PropVariantCopy(PROPVARIANT* pvarDest, const PROPVARIANT* pvarSrc)
{
    if (!pvarDest || !pvarSrc) return E_INVALIDARG;
    PROPVARIANT copy = *pvarSrc;
    bool ok = true;
    switch (pvarSrc->vt) {
    case VT_LPSTR:
        copy.pszVal = CopyText(pvarSrc->pszVal);
        ok = copy.pszVal || !pvarSrc->pszVal;
        break;
    case VT_LPWSTR:
        copy.pwszVal = CopyText(pvarSrc->pwszVal);
        ok = copy.pwszVal || !pvarSrc->pwszVal;
        break;
    case VT_BSTR:
        if (pvarSrc->bstrVal) {
            copy.bstrVal = SysAllocStringLen(pvarSrc->bstrVal, SysStringLen(pvarSrc->bstrVal));
            ok = copy.bstrVal != nullptr;
        }
        break;
    case VT_UNKNOWN:
        if (copy.punkVal) copy.punkVal->AddRef();
        break;
    case VT_CLSID:
        copy.puuid = CopyElements(pvarSrc->puuid, pvarSrc->puuid ? 1 : 0);
        ok = copy.puuid || !pvarSrc->puuid;
        break;
    case VT_BLOB:
        copy.blob.pBlobData = CopyElements(pvarSrc->blob.pBlobData, pvarSrc->blob.cbSize);
        ok = copy.blob.pBlobData || pvarSrc->blob.cbSize == 0;
        break;
    case VT_VECTOR | VT_UI1:
        copy.caub.pElems = CopyElements(pvarSrc->caub.pElems, pvarSrc->caub.cElems);
        ok = copy.caub.pElems || pvarSrc->caub.cElems == 0;
        break;
    case VT_VECTOR | VT_I2:
        copy.cai.pElems = CopyElements(pvarSrc->cai.pElems, pvarSrc->cai.cElems);
        ok = copy.cai.pElems || pvarSrc->cai.cElems == 0;
        break;
    case VT_VECTOR | VT_UI2:
        copy.caui.pElems = CopyElements(pvarSrc->caui.pElems, pvarSrc->caui.cElems);
        ok = copy.caui.pElems || pvarSrc->caui.cElems == 0;
        break;
    case VT_VECTOR | VT_I4:
        copy.cal.pElems = CopyElements(pvarSrc->cal.pElems, pvarSrc->cal.cElems);
        ok = copy.cal.pElems || pvarSrc->cal.cElems == 0;
        break;
    case VT_VECTOR | VT_UI4:
        copy.caul.pElems = CopyElements(pvarSrc->caul.pElems, pvarSrc->caul.cElems);
        ok = copy.caul.pElems || pvarSrc->caul.cElems == 0;
        break;
    case VT_VECTOR | VT_I8:
        copy.cah.pElems = CopyElements(pvarSrc->cah.pElems, pvarSrc->cah.cElems);
        ok = copy.cah.pElems || pvarSrc->cah.cElems == 0;
        break;
    case VT_VECTOR | VT_UI8:
        copy.cauh.pElems = CopyElements(pvarSrc->cauh.pElems, pvarSrc->cauh.cElems);
        ok = copy.cauh.pElems || pvarSrc->cauh.cElems == 0;
        break;
    case VT_VECTOR | VT_LPSTR:
        ok = CopyTextVector(pvarSrc->calpstr.pElems, pvarSrc->calpstr.cElems, copy.calpstr.pElems);
        break;
    case VT_VECTOR | VT_LPWSTR:
        ok = CopyTextVector(pvarSrc->calpwstr.pElems, pvarSrc->calpwstr.cElems, copy.calpwstr.pElems);
        break;
    default:
        if ((pvarSrc->vt & VT_VECTOR) != 0 || (pvarSrc->vt & VT_BYREF) != 0) return DISP_E_BADVARTYPE;
        break;
    }
    if (!ok) return E_OUTOFMEMORY;
    *pvarDest = copy;
    return S_OK;
}
