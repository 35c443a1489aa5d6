#include "pal/aggregated_marshaler.h"
#include "pal/com_ptr.h"

#include <atomic>
#include <new>

namespace {

class FreeThreadedMarshaler final : public IMarshal {
  public:
    explicit FreeThreadedMarshaler(IUnknown* outer) : outer_(outer) {}
    virtual ~FreeThreadedMarshaler() = default;

    // The inner unknown: counts and answers for the marshaler itself.
    class Inner final : public IUnknown {
      public:
        explicit Inner(FreeThreadedMarshaler* owner) : owner_(owner) {}
        virtual ~Inner() = default;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
        {
            if (!ppv) return E_POINTER;
            if (riid == IID_IUnknown) {
                *ppv = static_cast<IUnknown*>(this);
                AddRef();
            } else if (riid == IID_IMarshal) {
                // Counted through the interface handed out, that is on the outer object.
                *ppv = static_cast<IMarshal*>(owner_);
                owner_->AddRef();
            } else {
                *ppv = nullptr;
                return E_NOINTERFACE;
            }
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
        ULONG STDMETHODCALLTYPE Release() override
        {
            const ULONG remaining = --refs_;
            if (remaining == 0) delete owner_;
            return remaining;
        }

      private:
        FreeThreadedMarshaler* owner_;
        std::atomic<ULONG> refs_{0};
    };

    IUnknown* InnerUnknown() { return &inner_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        return outer_->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

    HRESULT STDMETHODCALLTYPE GetUnmarshalClass(REFIID, void*, DWORD, void*, DWORD, CLSID* pCid) override
    {
        if (!pCid) return E_POINTER;
        *pCid = CLSID_InProcFreeMarshaler;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMarshalSizeMax(REFIID, void*, DWORD, void*, DWORD, DWORD* pSize) override
    {
        if (!pSize) return E_POINTER;
        *pSize = sizeof(void*);
        return S_OK;
    }
    // Writes one reference to the interface asked for; the reader takes it over.
    HRESULT STDMETHODCALLTYPE MarshalInterface(IStream* pStm, REFIID riid, void* pv, DWORD, void*, DWORD) override
    {
        if (!pStm || !pv) return E_INVALIDARG;
        void* itf = nullptr;
        HRESULT hr = static_cast<IUnknown*>(pv)->QueryInterface(riid, &itf);
        if (FAILED(hr)) return hr;
        hr = pStm->Write(&itf, sizeof(itf), nullptr);
        if (FAILED(hr)) static_cast<IUnknown*>(itf)->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE UnmarshalInterface(IStream* pStm, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        IUnknown* itf = nullptr;
        if (HRESULT hr = ReadPointer(pStm, itf); FAILED(hr)) return hr;
        auto held = pal::ComPtr<IUnknown>::Attach(itf);
        return held->QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE ReleaseMarshalData(IStream* pStm) override
    {
        IUnknown* itf = nullptr;
        if (HRESULT hr = ReadPointer(pStm, itf); FAILED(hr)) return hr;
        itf->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DisconnectObject(DWORD) override { return S_OK; }

  private:
    static HRESULT ReadPointer(IStream* stream, IUnknown*& out)
    {
        if (!stream) return E_INVALIDARG;
        ULONG read = 0;
        HRESULT hr = stream->Read(&out, sizeof(out), &read);
        if (FAILED(hr)) return hr;
        return read == sizeof(out) && out ? S_OK : STG_E_READFAULT;
    }

    IUnknown* outer_;
    Inner inner_{this};
};

} // namespace

STDAPI CoCreateFreeThreadedMarshaler(IUnknown* punkOuter, IUnknown** ppunkMarshal)
{
    if (!ppunkMarshal) return E_POINTER;
    *ppunkMarshal = nullptr;
    if (!punkOuter) return E_INVALIDARG; // only the aggregated form is ever used
    auto* marshaler = new (std::nothrow) FreeThreadedMarshaler(punkOuter);
    if (!marshaler) return E_OUTOFMEMORY;
    IUnknown* inner = marshaler->InnerUnknown();
    inner->AddRef();
    *ppunkMarshal = inner;
    return S_OK;
}
