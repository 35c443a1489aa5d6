// Owners of secrets (a password, a digest that stands for one): the bytes are
// wiped before their memory goes back, on every path, thrown exceptions included.
#pragma once

#include "contract/secure_wipe.h"
#include "pal/bstr.h"

#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace orvana {

// Its size is fixed, so no growth ever leaves a copy behind in freed memory.
class SecretBuffer {
  public:
    SecretBuffer() noexcept = default;
    explicit SecretBuffer(std::size_t size) : bytes_(size) {}
    explicit SecretBuffer(std::span<const BYTE> bytes) : bytes_(bytes.begin(), bytes.end()) {}
    ~SecretBuffer() { SecureWipe(bytes_); }
    // A moved-from vector is empty: the bytes exist once.
    SecretBuffer(SecretBuffer&& other) noexcept = default;
    SecretBuffer& operator=(SecretBuffer&& other) noexcept
    {
        if (this != &other) {
            SecureWipe(bytes_);
            bytes_ = std::move(other.bytes_);
        }
        return *this;
    }
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;

    BYTE* Data() noexcept { return bytes_.data(); }
    std::size_t Size() const noexcept { return bytes_.size(); }
    std::string_view View() const noexcept { return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()}; }

  private:
    std::vector<BYTE> bytes_;
};

// A BSTR that a callee fills with a secret.
class SecretBstr {
  public:
    SecretBstr() noexcept = default;
    ~SecretBstr() { Wipe(); }
    SecretBstr(const SecretBstr&) = delete;
    SecretBstr& operator=(const SecretBstr&) = delete;

    BSTR* ReleaseAndGetAddressOf() noexcept
    {
        Wipe();
        return text_.ReleaseAndGetAddressOf();
    }
    std::string_view Bytes() const noexcept
    {
        return {reinterpret_cast<const char*>(text_.Get()), SysStringByteLen(text_.Get())};
    }

  private:
    void Wipe() noexcept
    {
        if (text_.Get()) SecureWipe(text_.Get(), SysStringByteLen(text_.Get()));
    }
    pal::Bstr text_;
};

} // namespace orvana
