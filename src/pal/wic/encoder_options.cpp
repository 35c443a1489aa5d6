#include "pal/wic/encoder_options.h"

#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/scope_guard.h"
#include "pal/variant.h"
#include "pal/wide_string.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

namespace pal::wic {

namespace {

constexpr WideView kImageQuality = W("ImageQuality");
constexpr WideView kSubsampling = W("JpegYCrCbSubsampling");

struct OptionInfo {
    WideView name;
    VARTYPE type;
};
constexpr OptionInfo kOptions[] = {{kImageQuality, VT_R4}, {kSubsampling, VT_UI1}};

WideView NameOf(const PROPBAG2& entry)
{
    return entry.pstrName ? WideView(entry.pstrName) : WideView();
}

LPOLESTR CopyName(WideView name)
{
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof(WCHAR) * (name.size() + 1)));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, name.data(), sizeof(WCHAR) * name.size());
    copy[name.size()] = 0;
    return copy;
}

class JpegEncoderOptionsBag : public ComObjectRoot, public IPropertyBag2 {
  public:
    using Interfaces = InterfaceList<IPropertyBag2>;
    static constexpr bool kLocksModule = false;

    HRESULT STDMETHODCALLTYPE Read(ULONG cProperties, PROPBAG2* pPropBag, IErrorLog*, VARIANT* pvarValue,
                                   HRESULT* phrError) override
    {
        if (cProperties != 0 && (!pPropBag || !pvarValue)) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        HRESULT result = S_OK;
        for (ULONG i = 0; i < cProperties; ++i) {
            VariantInit(&pvarValue[i]);
            HRESULT hr = S_OK;
            const WideView name = NameOf(pPropBag[i]);
            if (name == kImageQuality) {
                pvarValue[i].vt = VT_R4;
                pvarValue[i].fltVal = options_.imageQuality;
            } else if (name == kSubsampling) {
                pvarValue[i].vt = VT_UI1;
                pvarValue[i].bVal = options_.subsampling;
            } else {
                hr = WINCODEC_ERR_PROPERTYNOTSUPPORTED;
                result = hr;
            }
            if (phrError) phrError[i] = hr;
        }
        return result;
    }

    // All entries are checked before any is taken, so a refused Write changes nothing.
    HRESULT STDMETHODCALLTYPE Write(ULONG cProperties, PROPBAG2* pPropBag, VARIANT* pvarValue) override
    {
        if (cProperties != 0 && (!pPropBag || !pvarValue)) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        JpegEncoderOptions staged = options_;
        for (ULONG i = 0; i < cProperties; ++i) {
            const WideView name = NameOf(pPropBag[i]);
            const VARIANT& value = pvarValue[i];
            if (name == kImageQuality) {
                if (value.vt != VT_R4 || !(value.fltVal >= 0.0f && value.fltVal <= 1.0f)) return E_INVALIDARG;
                staged.imageQuality = value.fltVal;
            } else if (name == kSubsampling) {
                if (value.vt != VT_UI1 || value.bVal > WICJpegYCrCbSubsampling440) return E_INVALIDARG;
                staged.subsampling = static_cast<WICJpegYCrCbSubsamplingOption>(value.bVal);
            } else {
                return WINCODEC_ERR_PROPERTYNOTSUPPORTED;
            }
        }
        options_ = staged;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CountProperties(ULONG* pcProperties) override
    {
        if (!pcProperties) return E_INVALIDARG;
        *pcProperties = static_cast<ULONG>(std::size(kOptions));
        return S_OK;
    }

    // Names are task memory, the caller's to free.
    HRESULT STDMETHODCALLTYPE GetPropertyInfo(ULONG iProperty, ULONG cProperties, PROPBAG2* pPropBag,
                                              ULONG* pcProperties) override
    {
        if (!pPropBag || !pcProperties) return E_INVALIDARG;
        if (iProperty >= std::size(kOptions)) return WINCODEC_ERR_VALUEOUTOFRANGE;
        const ULONG count = std::min<ULONG>(cProperties, static_cast<ULONG>(std::size(kOptions) - iProperty));
        return Boundary([&] {
            std::vector<PROPBAG2> entries(count);
            ScopeGuard names([&] {
                for (PROPBAG2& entry : entries)
                    CoTaskMemFree(entry.pstrName);
            });
            for (ULONG i = 0; i < count; ++i) {
                const OptionInfo& option = kOptions[iProperty + i];
                entries[i].dwType = PROPBAG2_TYPE_DATA;
                entries[i].vt = option.type;
                entries[i].pstrName = CopyName(option.name);
            }
            names.Dismiss();
            std::copy(entries.begin(), entries.end(), pPropBag);
            *pcProperties = count;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE LoadObject(LPCOLESTR, DWORD, IUnknown*, IErrorLog*) override { return E_NOTIMPL; }

  private:
    std::mutex mutex_;
    JpegEncoderOptions options_;
};

} // namespace

ComPtr<IPropertyBag2> CreateJpegEncoderOptions()
{
    return MakeComObject<JpegEncoderOptionsBag, IPropertyBag2>();
}

JpegEncoderOptions ReadJpegEncoderOptions(IPropertyBag2* bag)
{
    JpegEncoderOptions options;
    PROPBAG2 entries[2]{};
    entries[0].pstrName = const_cast<LPOLESTR>(kImageQuality.data());
    entries[1].pstrName = const_cast<LPOLESTR>(kSubsampling.data());
    Variant values[2];
    HRESULT errors[2]{};
    static_assert(sizeof(Variant) == sizeof(VARIANT), "an array of owners is an array of VARIANTs");
    // A bag that holds neither leaves the defaults.
    bag->Read(2, entries, nullptr, values, errors);
    const VARIANT& quality = values[0];
    const VARIANT& subsampling = values[1];
    if (SUCCEEDED(errors[0]) && quality.vt == VT_R4) options.imageQuality = quality.fltVal;
    if (SUCCEEDED(errors[1]) && subsampling.vt == VT_UI1)
        options.subsampling = static_cast<WICJpegYCrCbSubsamplingOption>(subsampling.bVal);
    return options;
}

} // namespace pal::wic
