#include "pal/com/error_info.h"

#include "pal/com/com_ptr.h"

#include <atomic>
#include <mutex>
#include <new>

namespace {

// One object behind both interfaces: the thrower fills it through
// ICreateErrorInfo and hands the IErrorInfo side to SetErrorInfo.
class ErrorObject final : public IErrorInfo, public ICreateErrorInfo {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
            *ppv = static_cast<IErrorInfo*>(this);
        } else if (riid == IID_ICreateErrorInfo) {
            *ppv = static_cast<ICreateErrorInfo*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) override
    {
        if (!pGUID) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *pGUID = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) override { return Get(source_, pBstrSource); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) override
    {
        return Get(description_, pBstrDescription);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) override { return Get(helpFile_, pBstrHelpFile); }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) override
    {
        if (!pdwHelpContext) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *pdwHelpContext = helpContext_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) override
    {
        std::lock_guard lock(mutex_);
        guid_ = rguid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) override { return Set(source_, szSource); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) override
    {
        return Set(description_, szDescription);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) override { return Set(helpFile_, szHelpFile); }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) override
    {
        std::lock_guard lock(mutex_);
        helpContext_ = dwHelpContext;
        return S_OK;
    }

  private:
    ~ErrorObject() = default;

    // An unset text reads back as a null BSTR; each read is the caller's copy.
    HRESULT Get(const pal::Bstr& field, BSTR* out)
    {
        if (!out) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *out = nullptr;
        if (!field.Get()) return S_OK;
        *out = SysAllocStringLen(field.Get(), field.Length());
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT Set(pal::Bstr& field, LPCOLESTR text)
    {
        BSTR copy = SysAllocString(text);
        if (text && !copy) return E_OUTOFMEMORY;
        std::lock_guard lock(mutex_);
        field = pal::Bstr::Attach(copy);
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    std::mutex mutex_;
    GUID guid_{};
    pal::Bstr source_;
    pal::Bstr description_;
    pal::Bstr helpFile_;
    DWORD helpContext_ = 0;
};

thread_local pal::ComPtr<IErrorInfo> t_errorInfo;

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo)
{
    if (!pperrinfo) return E_INVALIDARG;
    auto* object = new (std::nothrow) ErrorObject;
    *pperrinfo = object ? static_cast<ICreateErrorInfo*>(object) : nullptr;
    return object ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo)
{
    if (dwReserved != 0) return E_INVALIDARG;
    // The old object is released only after the slot holds the new one, so a
    // destructor that itself sets error info cannot see a half-updated slot.
    t_errorInfo = pal::ComPtr<IErrorInfo>(perrinfo);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo)
{
    if (!pperrinfo) return E_INVALIDARG;
    *pperrinfo = nullptr;
    if (dwReserved != 0) return E_INVALIDARG;
    *pperrinfo = t_errorInfo.Detach();
    return *pperrinfo ? S_OK : S_FALSE;
}
