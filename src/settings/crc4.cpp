#include "settings/crc4.h"

#include "contract/secret_buffer.h"
#include "contract/secure_wipe.h"
#include "pal/wide_string.h"

#include <array>

namespace orvana {

namespace {

// Three XORs instead of a swap: with x == y the element becomes zero. That is
// what tells CRC4 from RC4, and existing records were written with it.
inline void Exchange(BYTE* s, DWORD x, DWORD y) noexcept
{
    s[x] = static_cast<BYTE>(s[x] ^ s[y]);
    s[y] = static_cast<BYTE>(s[y] ^ s[x]);
    s[x] = static_cast<BYTE>(s[x] ^ s[y]);
}

// The key is never kept whole: one share sits in data, the other is a
// constant, and the two meet only here, in a buffer wiped after use.
constexpr std::size_t kKeyLength = 4;
volatile BYTE g_keyShare[kKeyLength] = {0x1D, 0x77, 0xE8, 0x42};
constexpr BYTE kKeyMask[kKeyLength] = {0xA6, 0x39, 0x5C, 0xD1};

void InitPasswordCipher(CRC4& cipher)
{
    std::array<BYTE, kKeyLength> key;
    for (std::size_t n = 0; n < kKeyLength; ++n)
        key[n] = static_cast<BYTE>(g_keyShare[n] ^ kKeyMask[n]);
    cipher.Init(key.data(), static_cast<DWORD>(key.size()));
    SecureWipe(key.data(), key.size());
}

} // namespace

CRC4::~CRC4()
{
    SecureWipe(S_, sizeof S_);
}

void CRC4::Init(const BYTE* key, DWORD keyLength)
{
    std::array<BYTE, 256> block{};
    for (DWORD n = 0; n < 256; ++n) {
        S_[n] = static_cast<BYTE>(n);
        if (key && keyLength) block[n] = key[n % keyLength];
    }
    DWORD j = 0;
    for (DWORD n = 0; n < 256; ++n) {
        j = (j + S_[n] + block[n]) & 0xFF;
        Exchange(S_, n, j);
    }
    i_ = 0;
    j_ = 0;
    SecureWipe(block.data(), block.size());
}

void CRC4::Process(BYTE* buffer, DWORD length)
{
    for (DWORD n = 0; n < length; ++n) {
        i_ = (i_ + 1) & 0xFF;
        j_ = (j_ + S_[i_]) & 0xFF;
        Exchange(S_, i_, j_);
        buffer[n] = static_cast<BYTE>(buffer[n] ^ S_[(S_[i_] + S_[j_]) & 0xFF]);
    }
}

std::vector<BYTE> ProtectPassword(pal::WideView password)
{
    // The plain bytes are transformed in place, so no clear copy outlives this.
    std::vector<BYTE> bytes(password.size() * 2);
    for (std::size_t n = 0; n < password.size(); ++n) {
        bytes[2 * n] = static_cast<BYTE>(password[n] & 0xFF);
        bytes[2 * n + 1] = static_cast<BYTE>(password[n] >> 8);
    }
    CRC4 cipher;
    InitPasswordCipher(cipher);
    cipher.Process(bytes.data(), static_cast<DWORD>(bytes.size()));
    return bytes;
}

pal::WideString UnprotectPassword(std::span<const BYTE> protectedPassword)
{
    SecretBuffer bytes(protectedPassword);
    CRC4 cipher;
    InitPasswordCipher(cipher);
    cipher.Process(bytes.Data(), static_cast<DWORD>(bytes.Size()));
    const BYTE* plain = bytes.Data();
    pal::WideString password(bytes.Size() / 2, W('\0'));
    for (std::size_t n = 0; n < password.size(); ++n)
        password[n] = static_cast<WCHAR>(plain[2 * n] | (plain[2 * n + 1] << 8));
    return password;
}

} // namespace orvana
