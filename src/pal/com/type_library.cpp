// ITypeLib and ITypeInfo over a static type library description.
#include "pal/com/dispatch.h"
#include "pal/com/error_info.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/type_library_description.h"
#include "pal/variant.h"

#include <algorithm>
#include <vector>

namespace {

bool SameNameIgnoringCase(const char16_t* a, const char16_t* b)
{
    auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; };
    for (; *a && *b; ++a, ++b)
        if (fold(*a) != fold(*b)) return false;
    return *a == *b;
}

HRESULT StoreString(BSTR* out, const char16_t* text)
{
    if (!out) return S_OK;
    *out = text ? SysAllocString(text) : nullptr;
    return (!text || *out) ? S_OK : E_OUTOFMEMORY;
}

class TypeLib;

class TypeInfo : public pal::ComObjectRoot, public ITypeInfo {
  public:
    using Interfaces = pal::InterfaceList<ITypeInfo>;
    static constexpr bool kLocksModule = false;

    void Init(TypeLib* library, const pal::TypeLibraryDescription& libraryDescription, UINT index);

    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** ppTypeAttr) override
    {
        if (!ppTypeAttr) return E_INVALIDARG;
        auto* attr = new (std::nothrow) TYPEATTR{};
        if (!attr) return E_OUTOFMEMORY;
        attr->guid = type_->guid;
        attr->lcid = library_->lcid;
        attr->typekind = type_->kind;
        attr->cFuncs = static_cast<WORD>(type_->functions.size());
        attr->cVars = static_cast<WORD>(type_->values.size());
        attr->cImplTypes = type_->defaultInterface ? 1 : 0;
        attr->wTypeFlags = type_->flags;
        *ppTypeAttr = attr;
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* pTypeAttr) override { delete pTypeAttr; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) override
    {
        if (!rgszNames || !pMemId || cNames == 0) return E_INVALIDARG;
        std::fill(pMemId, pMemId + cNames, MEMBERID_NIL);
        const pal::FunctionDescription* function = FindByName(rgszNames[0]);
        if (!function) return DISP_E_UNKNOWNNAME;
        pMemId[0] = function->id;
        HRESULT hr = S_OK;
        // Further names are the method's parameters, numbered from 0.
        for (UINT n = 1; n < cNames; ++n) {
            const auto& params = function->parameters;
            auto found = std::find_if(params.begin(), params.end(),
                                      [&](const auto& p) { return SameNameIgnoringCase(p.name, rgszNames[n]); });
            if (found == params.end()) {
                hr = DISP_E_UNKNOWNNAME;
            } else {
                pMemId[n] = static_cast<MEMBERID>(found - params.begin());
            }
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(void* pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override
    {
        if (!pvInstance || !pDispParams) return E_INVALIDARG;
        const pal::FunctionDescription* function = FindById(memid);
        if (!function || !function->invoke) return DISP_E_MEMBERNOTFOUND;
        if (!(wFlags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (pDispParams->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        const auto& params = function->parameters;
        if (pDispParams->cArgs != params.size()) return DISP_E_BADPARAMCOUNT;

        std::vector<pal::Variant> arguments(params.size());
        for (std::size_t n = 0; n < params.size(); ++n) {
            // Arguments arrive last first.
            const VARIANT& given = pDispParams->rgvarg[params.size() - 1 - n];
            if (FAILED(VariantChangeType(&arguments[n], &given, 0, params[n].type))) {
                if (puArgErr) *puArgErr = static_cast<UINT>(params.size() - 1 - n);
                return DISP_E_TYPEMISMATCH;
            }
        }
        std::vector<VARIANT> raw(arguments.begin(), arguments.end()); // shallow: ownership stays in arguments
        pal::Variant result;
        const HRESULT hr = function->invoke(pvInstance, raw.data(), &result);
        if (FAILED(hr)) {
            FillException(pExcepInfo, hr);
            return DISP_E_EXCEPTION;
        }
        if (pVarResult) {
            VariantInit(pVarResult);
            *pVarResult = result;
            result.vt = VT_EMPTY; // handed over
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString,
                                               DWORD* pdwHelpContext, BSTR* pBstrHelpFile) override
    {
        const char16_t* name = type_->name;
        const char16_t* help = type_->helpString;
        if (memid != MEMBERID_NIL) {
            const pal::FunctionDescription* function = FindById(memid);
            if (!function) return TYPE_E_ELEMENTNOTFOUND;
            name = function->name;
            help = function->helpString;
        }
        if (pdwHelpContext) *pdwHelpContext = 0;
        if (HRESULT hr = StoreString(pBstrHelpFile, nullptr); FAILED(hr)) return hr;
        if (HRESULT hr = StoreString(pBstrName, name); FAILED(hr)) return hr;
        return StoreString(pBstrDocString, help);
    }

    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) override;

  private:
    const pal::FunctionDescription* FindByName(const char16_t* name) const
    {
        if (!name) return nullptr;
        for (const auto& f : type_->functions)
            if (SameNameIgnoringCase(f.name, name)) return &f;
        return nullptr;
    }
    const pal::FunctionDescription* FindById(MEMBERID id) const
    {
        for (const auto& f : type_->functions)
            if (f.id == id) return &f;
        return nullptr;
    }
    static void FillException(EXCEPINFO* info, HRESULT hr)
    {
        pal::ComPtr<IErrorInfo> error;
        GetErrorInfo(0, error.ReleaseAndGetAddressOf());
        if (!info) return;
        *info = EXCEPINFO{};
        info->scode = hr;
        if (error) {
            error->GetSource(&info->bstrSource);
            error->GetDescription(&info->bstrDescription);
        }
    }

    pal::ComPtr<ITypeLib> libraryObject_; // keeps the library alive
    const pal::TypeLibraryDescription* library_ = nullptr;
    const pal::TypeDescription* type_ = nullptr;
    UINT index_ = 0;
};

class TypeLib : public pal::ComObjectRoot, public ITypeLib {
  public:
    using Interfaces = pal::InterfaceList<ITypeLib>;
    static constexpr bool kLocksModule = false;

    explicit TypeLib(const pal::TypeLibraryDescription& description) : description_(description) {}

    UINT STDMETHODCALLTYPE GetTypeInfoCount() override { return static_cast<UINT>(description_.types.size()); }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, ITypeInfo** ppTInfo) override
    {
        if (!ppTInfo) return E_INVALIDARG;
        *ppTInfo = nullptr;
        if (index >= description_.types.size()) return TYPE_E_ELEMENTNOTFOUND;
        try {
            auto info = pal::MakeComObject<TypeInfo, ITypeInfo>();
            static_cast<TypeInfo*>(info.Get())->Init(this, description_, index);
            *ppTInfo = info.Detach();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoType(UINT index, TYPEKIND* pTKind) override
    {
        if (!pTKind) return E_INVALIDARG;
        if (index >= description_.types.size()) return TYPE_E_ELEMENTNOTFOUND;
        *pTKind = description_.types[index].kind;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) override
    {
        if (!ppTinfo) return E_INVALIDARG;
        *ppTinfo = nullptr;
        for (UINT n = 0; n < description_.types.size(); ++n)
            if (description_.types[n].guid == guid) return GetTypeInfo(n, ppTinfo);
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetLibAttr(TLIBATTR** ppTLibAttr) override
    {
        if (!ppTLibAttr) return E_INVALIDARG;
        auto* attr =
            new (std::nothrow) TLIBATTR{description_.libid,        description_.lcid,         description_.syskind,
                                        description_.majorVersion, description_.minorVersion, 0};
        if (!attr) return E_OUTOFMEMORY;
        *ppTLibAttr = attr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                               BSTR* pBstrHelpFile) override
    {
        const char16_t* name = description_.name;
        const char16_t* help = description_.helpString;
        if (index >= 0) {
            if (static_cast<std::size_t>(index) >= description_.types.size()) return TYPE_E_ELEMENTNOTFOUND;
            name = description_.types[static_cast<std::size_t>(index)].name;
            help = description_.types[static_cast<std::size_t>(index)].helpString;
        }
        if (pdwHelpContext) *pdwHelpContext = 0;
        if (HRESULT hr = StoreString(pBstrHelpFile, nullptr); FAILED(hr)) return hr;
        if (HRESULT hr = StoreString(pBstrName, name); FAILED(hr)) return hr;
        return StoreString(pBstrDocString, help);
    }
    void STDMETHODCALLTYPE ReleaseTLibAttr(TLIBATTR* pTLibAttr) override { delete pTLibAttr; }

  private:
    const pal::TypeLibraryDescription& description_;
};

void TypeInfo::Init(TypeLib* library, const pal::TypeLibraryDescription& libraryDescription, UINT index)
{
    libraryObject_ = pal::ComPtr<ITypeLib>(static_cast<ITypeLib*>(library));
    library_ = &libraryDescription;
    type_ = &libraryDescription.types[index];
    index_ = index;
}

HRESULT TypeInfo::GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex)
{
    if (pIndex) *pIndex = index_;
    if (!ppTLib) return S_OK;
    return libraryObject_.CopyTo(ppTLib);
}

} // namespace

namespace pal {

HRESULT CreateTypeLib(const TypeLibraryDescription& description, ITypeLib** ppTLib)
{
    if (!ppTLib) return E_POINTER;
    *ppTLib = nullptr;
    try {
        *ppTLib = MakeComObject<TypeLib, ITypeLib>(description).Detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace pal
