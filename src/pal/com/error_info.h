// Thread error information: SetErrorInfo/GetErrorInfo and the error object.
#pragma once

#include "bstr.h"
#include "unknown.h"

struct IErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) = 0;

  protected:
    ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) = 0;

  protected:
    ~ICreateErrorInfo() = default;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) = 0;

  protected:
    ~ISupportErrorInfo() = default;
};

PAL_DECLARE_IID(IErrorInfo, "1CF2B120-547D-101B-8E65-08002B2BD119");
PAL_DECLARE_IID(ICreateErrorInfo, "22F03340-547D-101B-8E65-08002B2BD119");
PAL_DECLARE_IID(ISupportErrorInfo, "DF0B3D60-548F-101B-8E65-08002B2BD119");

STDAPI CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// dwReserved must be 0. A null perrinfo clears the thread's error object.
STDAPI SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands over the thread's error object and clears it; S_FALSE when there is none.
STDAPI GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
