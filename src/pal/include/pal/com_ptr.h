// Owning interface pointer: one reference, released on every path.
#pragma once

#include "pal/interface_id.h"

#include <unknwn.h>
#include <utility>

namespace pal {

template <typename T> class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    explicit ComPtr(T* p) noexcept : p_(p)
    {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) noexcept
    {
        Reset();
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) noexcept
    {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    [[nodiscard]] T* Detach() noexcept { return std::exchange(p_, nullptr); }

    void Reset() noexcept
    {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Out-parameter access: releases what is held first.
    T** ReleaseAndGetAddressOf() noexcept
    {
        Reset();
        return &p_;
    }
    void** ReleaseAndGetVoidAddress() noexcept { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

    template <typename U> HRESULT As(ComPtr<U>& out) const noexcept
    {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(pal::InterfaceId<U>::value, out.ReleaseAndGetVoidAddress());
    }

    // Hands a new reference to an out parameter.
    HRESULT CopyTo(T** out) const noexcept
    {
        if (!out) return E_POINTER;
        *out = p_;
        if (p_) p_->AddRef();
        return S_OK;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

  private:
    T* p_ = nullptr;
};

} // namespace pal
