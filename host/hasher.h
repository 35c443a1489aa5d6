// HostHasher: the digest component of the host's maker. It digests a whole
// stream (from its start, whatever the current position, which it keeps) with
// MD5 or with the service's proof digest (SHA-256), as raw bytes or Base64.
#pragma once

#include "contract/host_interfaces.h"
#include "pal/object.h"

namespace host {

class Hasher : public pal::ComObjectRoot, public IHostHasher {
  public:
    using Interfaces = pal::InterfaceList<IHostHasher>;

    HRESULT STDMETHODCALLTYPE ReservedSlot3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot15() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HashStream(IStream* pStream, ULONG dwSelector, BSTR* pbstrDigest) override;
};

} // namespace host
