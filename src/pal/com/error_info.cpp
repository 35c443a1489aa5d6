#include "pal/com/error_info.h"

#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/object.h"

#include <atomic>
#include <mutex>
#include <new>

namespace {

// One object behind both interfaces: the thrower fills it through
// ICreateErrorInfo and hands the IErrorInfo side to SetErrorInfo.
class ErrorObject : public pal::ComObjectRoot, public IErrorInfo, public ICreateErrorInfo {
  public:
    using Interfaces = pal::InterfaceList<IErrorInfo, ICreateErrorInfo>;
    static constexpr bool kLocksModule = false; // the layer's own object

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
    *pperrinfo = nullptr;
    try {
        *pperrinfo = pal::MakeComObject<ErrorObject, ICreateErrorInfo>().Detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
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
