// PROPVARIANT: the property value the imaging component's metadata queries
// carry (numbers, texts, rationals as 64-bit pairs, blobs and vectors).
#pragma once

#include "variant.h"

struct BLOB {
    ULONG cbSize;
    BYTE* pBlobData;
};
struct CAUB {
    ULONG cElems;
    UCHAR* pElems;
};
struct CAUI {
    ULONG cElems;
    USHORT* pElems;
};
struct CAI {
    ULONG cElems;
    SHORT* pElems;
};
struct CAUL {
    ULONG cElems;
    ULONG* pElems;
};
struct CAL {
    ULONG cElems;
    LONG* pElems;
};
struct CAUH {
    ULONG cElems;
    ULARGE_INTEGER* pElems;
};
struct CAH {
    ULONG cElems;
    LARGE_INTEGER* pElems;
};
struct CALPSTR {
    ULONG cElems;
    LPSTR* pElems;
};
struct CALPWSTR {
    ULONG cElems;
    LPWSTR* pElems;
};

struct PROPVARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        CHAR cVal;
        UCHAR bVal;
        SHORT iVal;
        USHORT uiVal;
        LONG lVal;
        ULONG ulVal;
        INT intVal;
        UINT uintVal;
        LARGE_INTEGER hVal;   // VT_I8: also a signed rational, numerator in the low half
        ULARGE_INTEGER uhVal; // VT_UI8: also an unsigned rational
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        FILETIME filetime;
        CLSID* puuid;
        BLOB blob;
        BSTR bstrVal;
        LPSTR pszVal;
        LPWSTR pwszVal;
        IUnknown* punkVal;
        CAUB caub;
        CAI cai;
        CAUI caui;
        CAL cal;
        CAUL caul;
        CAUH cauh;
        CAH cah;
        CALPSTR calpstr;
        CALPWSTR calpwstr;
    };
};
using REFPROPVARIANT = const PROPVARIANT&;

inline void PropVariantInit(PROPVARIANT* pvar)
{
    *pvar = PROPVARIANT{};
}
// Frees what the value owns (texts and arrays with CoTaskMemFree, BSTRs,
// interface references) and leaves it VT_EMPTY.
STDAPI PropVariantClear(PROPVARIANT* pvar);
STDAPI PropVariantCopy(PROPVARIANT* pvarDest, const PROPVARIANT* pvarSrc);
