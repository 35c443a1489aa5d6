// The IMarshal answer of an object that aggregates the free-threaded marshaler.
#pragma once

#include <objbase.h>

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
