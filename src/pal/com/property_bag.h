// IPropertyBag2: the named options an encoder frame is created with.
#pragma once

#include "variant.h"

struct IErrorLog;
using CLIPFORMAT = WORD;

enum PROPBAG2_TYPE : DWORD {
    PROPBAG2_TYPE_UNDEFINED = 0,
    PROPBAG2_TYPE_DATA = 1,
    PROPBAG2_TYPE_URL = 2,
    PROPBAG2_TYPE_OBJECT = 3,
    PROPBAG2_TYPE_STREAM = 4,
    PROPBAG2_TYPE_STORAGE = 5,
    PROPBAG2_TYPE_MONIKER = 6,
};

struct PROPBAG2 {
    DWORD dwType;
    VARTYPE vt;
    CLIPFORMAT cfType;
    DWORD dwHint;
    LPOLESTR pstrName;
    CLSID clsid;
};

struct IPropertyBag2 : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(ULONG cProperties, PROPBAG2* pPropBag, IErrorLog* pErrLog,
                                           VARIANT* pvarValue, HRESULT* phrError) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(ULONG cProperties, PROPBAG2* pPropBag, VARIANT* pvarValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE CountProperties(ULONG* pcProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyInfo(ULONG iProperty, ULONG cProperties, PROPBAG2* pPropBag,
                                                      ULONG* pcProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadObject(LPCOLESTR pstrName, DWORD dwHint, IUnknown* pUnkObject,
                                                 IErrorLog* pErrLog) = 0;

  protected:
    ~IPropertyBag2() = default;
};

PAL_DECLARE_IID(IPropertyBag2, "22F55882-280B-11D0-A8A9-00A0C90C2004");
