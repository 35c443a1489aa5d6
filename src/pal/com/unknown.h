// IUnknown and IClassFactory, and the interface-identity trait the templates use.
#pragma once

#include "guid.h"
#include "pal/interface_id.h"

// Interfaces carry no virtual destructor: their vtable is exactly their slots.
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

  protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

struct IClassFactory : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;

  protected:
    ~IClassFactory() = default;
};

#define __uuidof(Interface) (pal::InterfaceId<Interface>::value)

PAL_DECLARE_IID(IUnknown, "00000000-0000-0000-C000-000000000046");
PAL_DECLARE_IID(IClassFactory, "00000001-0000-0000-C000-000000000046");
