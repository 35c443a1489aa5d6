// IMarshal and the free-threaded marshaler: an object that aggregates it tells
// every apartment to use its interface pointers directly. In one process the
// marshaled form is the pointer itself.
#pragma once

#include "stream.h"

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
