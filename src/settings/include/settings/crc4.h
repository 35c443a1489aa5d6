// CRC4: the stream cipher that protects the stored password. It is RC4 except
// that every exchange is done with three XORs, so exchanging a position with
// itself zeroes it. Stored passwords depend on that, so it must stay.
#pragma once

#include "pal/wide_string.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

namespace orvana {

class CRC4 {
  public:
    CRC4() noexcept = default;
    virtual ~CRC4();
    CRC4(const CRC4&) = delete;
    CRC4& operator=(const CRC4&) = delete;

    // The key schedule. Each key byte repeats over the 256-byte key block.
    // An empty key schedules as if it were zero bytes.
    void Init(const BYTE* key, DWORD keyLength);
    // Enciphers or deciphers in place; both directions are this one call.
    void Process(BYTE* buffer, DWORD length);

  private:
    DWORD i_ = 0;
    DWORD j_ = 0;
    BYTE S_[256] = {};
};

// The password's UTF-16LE code units (no terminator) under the component's
// fixed key: twice as many bytes as code units.
std::vector<BYTE> ProtectPassword(pal::WideView password);
// The reverse. A trailing odd byte is ignored. The caller owns the plain text
// and should SecureWipe it once used.
pal::WideString UnprotectPassword(std::span<const BYTE> protectedPassword);

} // namespace orvana
