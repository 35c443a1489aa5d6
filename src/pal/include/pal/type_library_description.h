// A type library as data, for a platform whose system has no type library
// compiler: the module describes its library in code, and DispatchInvoker<&I::M>
// gives each method's invoker and parameter types. Windows builds take the
// compiled library instead and never include this.
#pragma once

#include "pal/wide_string.h"

#include <oleauto.h>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

namespace pal {

// Calls one method on an instance with arguments already coerced to the
// declared types (in declaration order); writes the retval, if any, to result.
using InvokeFunction = HRESULT (*)(void* instance, VARIANT* arguments, VARIANT* result);

struct ParameterDescription {
    const WCHAR* name;
    VARTYPE type; // the VARIANT type an argument is coerced to
};

struct FunctionDescription {
    const WCHAR* name;
    DISPID id;
    UINT vtableSlot;
    const WCHAR* helpString;
    std::span<const ParameterDescription> parameters; // [in] parameters only
    VARTYPE resultType;                               // VT_EMPTY without [out, retval]
    InvokeFunction invoke;
};

struct EnumValueDescription {
    const WCHAR* name;
    LONG value;
};

struct TypeDescription {
    TYPEKIND kind;
    const WCHAR* name;
    GUID guid;
    const WCHAR* helpString;
    WORD flags;
    std::span<const FunctionDescription> functions; // interfaces
    std::span<const EnumValueDescription> values;   // enumerations
    const GUID* defaultInterface;                   // coclasses
};

struct TypeLibraryDescription {
    const WCHAR* name;
    GUID libid;
    WORD majorVersion;
    WORD minorVersion;
    LCID lcid;
    SYSKIND syskind;
    const WCHAR* helpString;
    std::span<const TypeDescription> types;
};

// An ITypeLib over a static description (which must outlive it).
HRESULT CreateTypeLib(const TypeLibraryDescription& description, ITypeLib** ppTLib);

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
    static LPCWSTR From(const VARIANT& v) { return v.bstrVal ? v.bstrVal : W(""); }
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

} // namespace pal
