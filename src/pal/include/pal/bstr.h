// Owning BSTR: freed on every path, viewed as wide text.
#pragma once

#include "pal/wide_string.h"

#include <new>
#include <oleauto.h>
#include <utility>

namespace pal {

// Owning BSTR.
class Bstr {
  public:
    Bstr() noexcept = default;
    explicit Bstr(WideView text) : p_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
        if (!p_ && !text.empty()) throw std::bad_alloc();
    }
    Bstr(const Bstr& other) : Bstr(other.View()) {}
    Bstr(Bstr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Bstr() { SysFreeString(p_); }

    static Bstr Attach(BSTR p) noexcept
    {
        Bstr b;
        b.p_ = p;
        return b;
    }
    [[nodiscard]] BSTR Detach() noexcept { return std::exchange(p_, nullptr); }
    BSTR* ReleaseAndGetAddressOf() noexcept
    {
        SysFreeString(std::exchange(p_, nullptr));
        return &p_;
    }

    BSTR Get() const noexcept { return p_; }
    UINT Length() const noexcept { return SysStringLen(p_); }
    bool Empty() const noexcept { return Length() == 0; }
    WideView View() const noexcept { return p_ ? WideView(p_, Length()) : WideView(); }
    WideString Str() const { return WideString(View()); }

  private:
    BSTR p_ = nullptr;
};

} // namespace pal
