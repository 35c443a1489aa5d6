// IDispatch served from a type library, in the role of ATL's IDispatchImpl:
// the library is looked up in the registry on first use (else loaded from the
// module's own file), and its ITypeInfo is cached for the module's life.
#pragma once

#include "pal/com_ptr.h"
#include "pal/this_module.h"

#include <mutex>
#include <oleauto.h>

namespace pal {

template <const GUID& Libid, WORD Major, WORD Minor, const IID& Iid> class TypeInfoHolder {
  public:
    static HRESULT Get(ITypeInfo** out)
    {
        static std::mutex mutex;
        static ComPtr<ITypeInfo> cached;
        std::lock_guard lock(mutex);
        if (!cached) {
            ComPtr<ITypeLib> library;
            HRESULT hr = LoadRegTypeLib(Libid, Major, Minor, 0, library.ReleaseAndGetAddressOf());
            if (FAILED(hr)) {
                WCHAR path[4096];
                const DWORD length = GetModuleFileNameW(ThisModule(), path, 4096);
                if (length == 0 || length >= 4096) return hr;
                hr = LoadTypeLibEx(path, REGKIND_NONE, library.ReleaseAndGetAddressOf());
                if (FAILED(hr)) return hr;
            }
            hr = library->GetTypeInfoOfGuid(Iid, cached.ReleaseAndGetAddressOf());
            if (FAILED(hr)) return hr;
        }
        return cached.CopyTo(out);
    }
};

template <typename Interface, const GUID& Libid, WORD Major = 1, WORD Minor = 0> class DispatchImpl : public Interface {
    using Holder = TypeInfoHolder<Libid, Major, Minor, InterfaceId<Interface>::value>;

  public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo) return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override
    {
        if (iTInfo != 0) return DISP_E_BADINDEX;
        if (!ppTInfo) return E_POINTER;
        *ppTInfo = nullptr;
        return Holder::Get(ppTInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override
    {
        ComPtr<ITypeInfo> info;
        if (HRESULT hr = Holder::Get(info.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
        return info->GetIDsOfNames(rgszNames, cNames, rgDispId);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override
    {
        if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        if (HRESULT hr = Holder::Get(info.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
        return info->Invoke(static_cast<Interface*>(this), dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo,
                            puArgErr);
    }
};

} // namespace pal
