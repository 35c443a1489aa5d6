// IDispatch served from a type library, in the role of ATL's IDispatchImpl:
// the library is looked up in the registry on first use (else taken from the
// module's own TYPELIB 1), and its ITypeInfo is cached for the module's life.
// DispatchInvoker<&I::Method> produces the invoker and the parameter types of
// a method for its entry in the library's description.
#pragma once

#include "pal/com/com_ptr.h"
#include "pal/com/dispatch.h"
#include "pal/resources/resources.h"

#include <mutex>
#include <tuple>
#include <type_traits>
#include <utility>

namespace pal {

template <typename T> struct DispatchArgument;
template <> struct DispatchArgument<IUnknown*> {
    static constexpr VARTYPE type = VT_UNKNOWN;
    static IUnknown* From(const VARIANT& v) { return v.punkVal; }
};
template <> struct DispatchArgument<USHORT> {
    static constexpr VARTYPE type = VT_UI2;
    static USHORT From(const VARIANT& v) { return v.uiVal; }
};
template <> struct DispatchArgument<ULONG> {
    static constexpr VARTYPE type = VT_UI4;
    static ULONG From(const VARIANT& v) { return v.ulVal; }
};
template <> struct DispatchArgument<LONG> {
    static constexpr VARTYPE type = VT_I4;
    static LONG From(const VARIANT& v) { return v.lVal; }
};
template <> struct DispatchArgument<HWND> {
    static constexpr VARTYPE type = VT_INT_PTR;
    static HWND From(const VARIANT& v) { return reinterpret_cast<HWND>(v.intPtrVal); }
};
// A wide-string parameter travels as a BSTR, which is a valid zero-terminated string.
template <> struct DispatchArgument<LPCWSTR> {
    static constexpr VARTYPE type = VT_BSTR;
    static LPCWSTR From(const VARIANT& v) { return v.bstrVal ? v.bstrVal : u""; }
};

template <typename T> struct DispatchResult;
template <> struct DispatchResult<BSTR> {
    static constexpr VARTYPE type = VT_BSTR;
    static void Store(VARIANT& r, BSTR v)
    {
        r.vt = VT_BSTR;
        r.bstrVal = v;
    }
};
template <> struct DispatchResult<HICON> {
    static constexpr VARTYPE type = VT_INT_PTR;
    static void Store(VARIANT& r, HICON v)
    {
        r.vt = VT_INT_PTR;
        r.intPtrVal = reinterpret_cast<LONG_PTR>(v);
    }
};
template <typename E>
requires std::is_enum_v<E>
struct DispatchResult<E> {
    static constexpr VARTYPE type = VT_I4;
    static void Store(VARIANT& r, E v)
    {
        r.vt = VT_I4;
        r.lVal = static_cast<LONG>(v);
    }
};

namespace detail {
template <typename T>
concept RetvalPointer = std::is_pointer_v<T> && requires
{
    DispatchResult<std::remove_pointer_t<T>>::type;
};

template <typename... A> struct LastOf {
    using type = std::tuple_element_t<sizeof...(A) - 1, std::tuple<A...>>;
};
} // namespace detail

template <auto Method> struct DispatchInvoker;

template <typename I, typename... A, HRESULT (I::*Method)(A...)> struct DispatchInvoker<Method> {
    static constexpr bool kHasRetval = [] {
        if constexpr (sizeof...(A) == 0) {
            return false;
        } else {
            return detail::RetvalPointer<typename detail::LastOf<A...>::type>;
        }
    }();
    static constexpr std::size_t kInCount = sizeof...(A) - (kHasRetval ? 1 : 0);
    static constexpr VARTYPE kResultType = [] {
        if constexpr (kHasRetval) {
            return DispatchResult<std::remove_pointer_t<typename detail::LastOf<A...>::type>>::type;
        } else {
            return static_cast<VARTYPE>(VT_EMPTY);
        }
    }();

    // True when a description's parameter types and result type fit the method.
    static constexpr bool Matches(std::span<const ParameterDescription> params, VARTYPE result)
    {
        if (params.size() != kInCount || result != kResultType) return false;
        return MatchTypes(params, std::make_index_sequence<kInCount>{});
    }

    static HRESULT Invoke(void* instance, VARIANT* args, VARIANT* result)
    {
        return Call(static_cast<I*>(instance), args, result, std::make_index_sequence<kInCount>{});
    }

  private:
    using Args = std::tuple<A...>;

    template <std::size_t... N>
    static constexpr bool MatchTypes([[maybe_unused]] std::span<const ParameterDescription> params,
                                     std::index_sequence<N...>)
    {
        return ((params[N].type == DispatchArgument<std::tuple_element_t<N, Args>>::type) && ...);
    }

    template <std::size_t... N>
    static HRESULT Call(I* self, [[maybe_unused]] VARIANT* args, [[maybe_unused]] VARIANT* result,
                        std::index_sequence<N...>)
    {
        if constexpr (kHasRetval) {
            using Out = std::remove_pointer_t<typename detail::LastOf<A...>::type>;
            Out value{};
            const HRESULT hr =
                (self->*Method)(DispatchArgument<std::tuple_element_t<N, Args>>::From(args[N])..., &value);
            if (SUCCEEDED(hr)) DispatchResult<Out>::Store(*result, value);
            return hr;
        } else {
            return (self->*Method)(DispatchArgument<std::tuple_element_t<N, Args>>::From(args[N])...);
        }
    }
};

// The cached ITypeInfo of one interface of one library.
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
                const TypeLibraryDescription* own = ResourcesOf(ThisModule()).typeLibrary;
                if (!own) return hr;
                hr = CreateTypeLib(*own, library.ReleaseAndGetAddressOf());
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
