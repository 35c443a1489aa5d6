// The password cipher: its one deliberate difference from RC4, and the
// protection of stored passwords.
#include "settings/crc4.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <utility>

namespace orvana {
namespace {

using Bytes = std::vector<BYTE>;

// Textbook RC4, with a real swap. Notes whether the key schedule swapped a
// position with itself (j == n) and how many stream bytes came before the
// first such swap in the stream (i == j).
struct Rc4 {
    Bytes stream;
    bool scheduleSelfSwap = false;
    std::size_t bytesBeforeSelfSwap = 0;
};

Rc4 TextbookRc4(const BYTE (&key)[4], std::size_t length)
{
    Rc4 result;
    std::array<BYTE, 256> s;
    for (int n = 0; n < 256; ++n)
        s[n] = static_cast<BYTE>(n);
    for (int n = 0, j = 0; n < 256; ++n) {
        j = (j + s[n] + key[n % 4]) & 0xFF;
        result.scheduleSelfSwap |= j == n;
        std::swap(s[n], s[j]);
    }
    result.bytesBeforeSelfSwap = length;
    for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        if (i == j) result.bytesBeforeSelfSwap = std::min(result.bytesBeforeSelfSwap, n);
        std::swap(s[i], s[j]);
        result.stream.push_back(s[(s[i] + s[j]) & 0xFF]);
    }
    return result;
}

Bytes Crc4Keystream(const BYTE (&key)[4], std::size_t length)
{
    Bytes out(length, 0);
    CRC4 cipher;
    cipher.Init(key, 4);
    cipher.Process(out.data(), static_cast<DWORD>(length));
    return out;
}

// Counts keys up from a start until the schedule does (or does not) swap a
// position with itself.
void FindKey(BYTE (&key)[4], bool selfSwap)
{
    while (TextbookRc4(key, 0).scheduleSelfSwap != selfSwap)
        ++key[0];
}

TEST(CRC4, ZeroesWhatTheKeyScheduleExchangesWithItself)
{
    // This key's schedule exchanges position 135 with itself; its stream does so only from byte 428 on.
    const BYTE key[4] = {0x12, 0x32, 0x54, 0x76};
    const Rc4 rc4 = TextbookRc4(key, 16);
    ASSERT_TRUE(rc4.scheduleSelfSwap);
    ASSERT_EQ(rc4.bytesBeforeSelfSwap, 16u);
    const Bytes expected{0xCA, 0xE9, 0x12, 0xD8, 0x18, 0x11, 0x00, 0x3B,
                         0x2A, 0x47, 0x32, 0x47, 0x33, 0xF5, 0x12, 0xC9};
    EXPECT_EQ(Crc4Keystream(key, 16), expected);
    EXPECT_NE(rc4.stream, expected) << "textbook RC4 keeps the element and gives 0x87 at byte 6";
}

TEST(CRC4, MatchesTextbookRc4UntilAnExchangeFallsOnOnePosition)
{
    BYTE key[4] = {0x10, 0x32, 0x54, 0x76};
    FindKey(key, false);
    const Rc4 rc4 = TextbookRc4(key, 4096);
    const Bytes crc4 = Crc4Keystream(key, 4096);
    ASSERT_GT(rc4.bytesBeforeSelfSwap, 0u);
    ASSERT_LT(rc4.bytesBeforeSelfSwap, 4096u);
    EXPECT_TRUE(std::equal(crc4.begin(), crc4.begin() + static_cast<std::ptrdiff_t>(rc4.bytesBeforeSelfSwap),
                           rc4.stream.begin()));
    EXPECT_NE(crc4, rc4.stream);
}

// Stored records must stay readable across versions, so these are fixed: the
// cipher texts of the component's key, worked out apart from this code.
TEST(PasswordProtection, StoredRecordsAreFixedBytesTwoPerCodeUnit)
{
    const struct {
        std::u16string password;
        Bytes stored;
    } records[] = {
        {u"secret", {0xEA, 0x86, 0x0A, 0x5B, 0x8F, 0x06, 0xED, 0x8C, 0x89, 0xA0, 0x6A, 0xCF}},
        // Code units little-endian, a surrogate pair as two.
        {u"p\u00E4ss \U0001F511", {0xE9, 0x86, 0x8B, 0x5B, 0x9F, 0x06, 0xEC, 0x8C, 0xCC, 0xA0, 0x23, 0x17, 0x6A, 0xE2}},
        // Long enough to reach the key schedule's self-exchange.
        {u"correct horse battery staple 42!",
         {0xFA, 0x86, 0x00, 0x5B, 0x9E, 0x06, 0xED, 0x8C, 0x89, 0xA0, 0x7D, 0xCF, 0x0F, 0x3F, 0x10, 0x2C,
          0xE4, 0x42, 0x34, 0x6B, 0xCD, 0xBD, 0xBA, 0x1B, 0x50, 0x95, 0x78, 0x2A, 0x4F, 0xAE, 0x9F, 0x27,
          0xDC, 0xBC, 0xF0, 0xAA, 0x9E, 0xED, 0xC4, 0xAC, 0x8D, 0xF6, 0xD4, 0xA7, 0xA2, 0x3A, 0x3F, 0xA8,
          0x31, 0x68, 0x0A, 0xA2, 0xB8, 0x3D, 0x8D, 0x54, 0xDA, 0x60, 0xAA, 0x55, 0xAE, 0x22, 0xB8, 0xC5}},
        {u"", {}},
    };
    for (const auto& [password, stored] : records) {
        EXPECT_EQ(UnprotectPassword(stored), password);
        EXPECT_EQ(ProtectPassword(password), stored);
        EXPECT_EQ(ProtectPassword(password), stored) << "every use starts from a fresh key schedule";
    }
    EXPECT_EQ(UnprotectPassword(Bytes{0xEA, 0x86, 0x0A}), u"s") << "a trailing odd byte is left out";
}

} // namespace
} // namespace orvana
