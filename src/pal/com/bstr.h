// BSTR: a length-prefixed UTF-16 buffer. The 32-bit byte count sits just before
// the characters, and a zero character always follows them.
#pragma once

#include "pal/base/types.h"

#include <new>
#include <string>
#include <string_view>
#include <utility>

using BSTR = OLECHAR*;

STDAPI_(BSTR) SysAllocString(const OLECHAR* psz);
STDAPI_(BSTR) SysAllocStringLen(const OLECHAR* pch, UINT cch);
STDAPI_(BSTR) SysAllocStringByteLen(LPCSTR psz, UINT len);
STDAPI_(BOOL) SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
STDAPI_(void) SysFreeString(BSTR bstr);
STDAPI_(UINT) SysStringLen(BSTR bstr);
STDAPI_(UINT) SysStringByteLen(BSTR bstr);

namespace pal {

// Owning BSTR.
class Bstr {
  public:
    Bstr() noexcept = default;
    explicit Bstr(std::u16string_view text) : p_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
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
    std::u16string_view View() const noexcept { return p_ ? std::u16string_view(p_, Length()) : std::u16string_view(); }
    std::u16string Str() const { return std::u16string(View()); }

  private:
    BSTR p_ = nullptr;
};

} // namespace pal
