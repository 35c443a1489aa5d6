// Owning registry key handle, and value writers that size the data as readers expect.
#pragma once

#include "pal/wide_string.h"

#include <utility>
#include <windows.h>

namespace pal {

// Owning registry key handle.
class RegKey {
  public:
    RegKey() noexcept = default;
    explicit RegKey(HKEY key) noexcept : key_(key) {}
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept
    {
        if (this != &other) {
            Close();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Close(); }

    void Close() noexcept
    {
        if (key_) RegCloseKey(std::exchange(key_, nullptr));
    }
    HKEY Get() const noexcept { return key_; }
    PHKEY ReleaseAndGetAddressOf() noexcept
    {
        Close();
        return &key_;
    }
    explicit operator bool() const noexcept { return key_ != nullptr; }

  private:
    HKEY key_ = nullptr;
};

// A REG_SZ value, its terminator counted in the size as readers expect.
inline LSTATUS SetStringValue(HKEY key, LPCWSTR name, WideView value)
{
    const WideString data(value);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(WCHAR)));
}

inline LSTATUS SetDWORDValue(HKEY key, LPCWSTR name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

} // namespace pal
