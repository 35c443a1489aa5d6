// COM object plumbing shared by every class: reference counting, interface
// tables, aggregation and the module lock count. Plays the role ATL's object
// root and CComObject play on Windows.
//
//   class CThing : public pal::ComObjectRoot, public IThing {
//   public:
//       using Interfaces = pal::InterfaceList<IThing>;   // first entry is the identity
//       ...
//   };
//   pal::CreateComObject<CThing>(outer, riid, ppv);
#pragma once

#include "pal/com_ptr.h"

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

namespace pal {

// Count of live objects and server locks of the module; DllCanUnloadNow reads it.
class ModuleLock {
  public:
    static void Lock() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    static void Unlock() noexcept { count_.fetch_sub(1, std::memory_order_acq_rel); }
    static long Count() noexcept { return count_.load(std::memory_order_acquire); }

  private:
    static inline std::atomic<long> count_{0};
};

template <typename... Interfaces> struct InterfaceList {
};

// Base of every COM class: its controlling unknown while aggregated.
class ComObjectRoot {
  public:
    ComObjectRoot() = default;
    virtual ~ComObjectRoot() = default;
    ComObjectRoot(const ComObjectRoot&) = delete;
    ComObjectRoot& operator=(const ComObjectRoot&) = delete;

    // The controlling unknown: the outer object when aggregated, else this object.
    IUnknown* ControllingUnknown() const noexcept { return outer_; }

    // Runs once after construction, with the object counted once; a failure
    // destroys the object and fails its creation.
    HRESULT FinalConstruct() { return S_OK; }
    // Runs just before destruction, while the object is still whole.
    void FinalRelease() {}

    void SetControllingUnknown(IUnknown* outer) noexcept { outer_ = outer; }

  private:
    IUnknown* outer_ = nullptr;
};

namespace detail {

template <typename T, typename First, typename... Rest> HRESULT FindInterface(T* self, REFIID riid, void** ppv) noexcept
{
    if (riid == InterfaceId<First>::value) {
        *ppv = static_cast<First*>(self);
        return S_OK;
    }
    if constexpr (sizeof...(Rest) > 0) {
        return FindInterface<T, Rest...>(self, riid, ppv);
    } else {
        return E_NOINTERFACE;
    }
}

template <typename T, typename... Is>
HRESULT QueryTable(T* self, REFIID riid, void** ppv, InterfaceList<Is...>) noexcept
{
    return FindInterface<T, Is...>(self, riid, ppv);
}

template <typename T, typename First, typename... Rest> IUnknown* FirstInterface(T* self, InterfaceList<First, Rest...>)
{
    return static_cast<First*>(self);
}

template <typename T>
concept HasQueryExtra = requires(T t, REFIID riid, void** ppv)
{
    {
        t.QueryInterfaceExtra(riid, ppv)
        } -> std::same_as<HRESULT>;
};

} // namespace detail

// The interface table of T answers first; a class may add entries (such as
// delegation to an aggregated object) with HRESULT QueryInterfaceExtra(riid, ppv).
template <typename T> HRESULT InternalQueryInterface(T* self, REFIID riid, void** ppv) noexcept
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown) {
        *ppv = detail::FirstInterface(self, typename T::Interfaces{});
        return S_OK;
    }
    HRESULT hr = detail::QueryTable(self, riid, ppv, typename T::Interfaces{});
    if constexpr (detail::HasQueryExtra<T>) {
        if (hr == E_NOINTERFACE) hr = self->QueryInterfaceExtra(riid, ppv);
    }
    return hr;
}

// Objects of the layer itself (type information, for instance) declare
// `static constexpr bool kLocksModule = false` so caching them does not pin
// the module that happens to link the layer.
template <typename T> constexpr bool LocksModule()
{
    if constexpr (requires { T::kLocksModule; }) {
        return T::kLocksModule;
    } else {
        return true;
    }
}

// A standalone object: owns its reference count.
template <typename T> class ComObject final : public T {
  public:
    template <typename... Args> explicit ComObject(Args&&... args) : T(std::forward<Args>(args)...)
    {
        if constexpr (LocksModule<T>()) ModuleLock::Lock();
        this->SetControllingUnknown(detail::FirstInterface(static_cast<T*>(this), typename T::Interfaces{}));
    }
    ~ComObject() override
    {
        if constexpr (LocksModule<T>()) ModuleLock::Unlock();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        HRESULT hr = InternalQueryInterface<T>(this, riid, ppv);
        if (SUCCEEDED(hr)) static_cast<IUnknown*>(*ppv)->AddRef();
        return hr;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG remaining = --refs_;
        if (remaining == 0) {
            refs_ = 1; // guard against re-entry while tearing down
            this->FinalRelease();
            delete this;
        }
        return remaining;
    }

  private:
    std::atomic<ULONG> refs_{0};
};

// An object aggregated into an outer one: its IUnknown (the inner unknown)
// counts and queries for itself, every other interface delegates to the outer.
template <typename T> class AggregatedComObject final : public IUnknown {
  public:
    explicit AggregatedComObject(IUnknown* outer) : contained_(outer) { ModuleLock::Lock(); }
    ~AggregatedComObject() { ModuleLock::Unlock(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        HRESULT hr = InternalQueryInterface<T>(&contained_, riid, ppv);
        if (SUCCEEDED(hr)) static_cast<IUnknown*>(*ppv)->AddRef();
        return hr;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG remaining = --refs_;
        if (remaining == 0) {
            refs_ = 1;
            contained_.FinalRelease();
            delete this;
        }
        return remaining;
    }

    T* Object() noexcept { return &contained_; }

  private:
    // T's own IUnknown methods delegate to the outer unknown.
    class Contained final : public T {
      public:
        explicit Contained(IUnknown* outer) { this->SetControllingUnknown(outer); }
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
        {
            return this->ControllingUnknown()->QueryInterface(riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return this->ControllingUnknown()->AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return this->ControllingUnknown()->Release(); }
    };

    std::atomic<ULONG> refs_{0};
    Contained contained_;
};

// Creates a T (standalone, or aggregated when outer is given, in which case riid
// must be IID_IUnknown), runs FinalConstruct, and answers the interface asked for.
template <typename T> HRESULT CreateComObject(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    try {
        if (outer) {
            auto* object = new AggregatedComObject<T>(outer);
            object->AddRef();
            HRESULT hr = object->Object()->FinalConstruct();
            if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
            object->Release();
            return hr;
        }
        auto* object = new ComObject<T>();
        object->AddRef();
        HRESULT hr = object->FinalConstruct();
        if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Creates a standalone T and hands back a typed owning pointer, for objects the
// program uses itself (no aggregation).
template <typename T, typename Interface, typename... Args> ComPtr<Interface> MakeComObject(Args&&... args)
{
    auto* object = new ComObject<T>(std::forward<Args>(args)...);
    ComPtr<Interface> result(static_cast<Interface*>(object));
    return result;
}

} // namespace pal
