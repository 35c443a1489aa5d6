// IMarshal and the free-threaded marshaler: an object that aggregates it tells
// every apartment to use its interface pointers directly. In one process the
// marshaled form is the pointer itself.
#pragma once

#include "pal/com/stream.h"

struct IMarshal : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID riid, void* pv, DWORD dwDestContext, void* pvDestContext,
                                                        DWORD mshlflags, CLSID* pCid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID riid, void* pv, DWORD dwDestContext, void* pvDestContext,
                                                        DWORD mshlflags, DWORD* pSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* pStm, REFIID riid, void* pv, DWORD dwDestContext,
                                                       void* pvDestContext, DWORD mshlflags) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* pStm, REFIID riid, void** ppv) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* pStm) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD dwReserved) = 0;

  protected:
    ~IMarshal() = default;
};

PAL_DECLARE_IID(IMarshal, "00000003-0000-0000-C000-000000000046");
inline constexpr CLSID CLSID_InProcFreeMarshaler = pal::MakeGuid("0000033A-0000-0000-C000-000000000046");

constexpr DWORD MSHCTX_INPROC = 3;
constexpr DWORD MSHLFLAGS_NORMAL = 0;

// Creates the marshaler aggregated into punkOuter; *ppunkMarshal is its inner unknown.
STDAPI CoCreateFreeThreadedMarshaler(IUnknown* punkOuter, IUnknown** ppunkMarshal);

namespace pal {

// IMarshal for the QueryInterfaceExtra of an object that aggregates the
// marshaler (given by its inner unknown, null before FinalConstruct): the
// reference the marshaler adds is dropped, because the object's own
// QueryInterface adds the caller's.
inline HRESULT QueryAggregatedMarshaler(IUnknown* marshaler, REFIID riid, void** ppv) noexcept
{
    if (riid != IID_IMarshal || !marshaler) return E_NOINTERFACE;
    const HRESULT hr = marshaler->QueryInterface(riid, ppv);
    if (SUCCEEDED(hr)) static_cast<IUnknown*>(*ppv)->Release();
    return hr;
}

} // namespace pal
