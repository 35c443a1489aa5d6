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

TEST(CRC4, DiffersFromTextbookRc4WhenTheScheduleExchangesAPositionWithItself)
{
    BYTE key[4] = {0x10, 0x32, 0x54, 0x76};
    FindKey(key, true);
    EXPECT_NE(Crc4Keystream(key, 4096), TextbookRc4(key, 4096).stream);
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

TEST(PasswordProtection, StoresTwoBytesPerCodeUnitAndDeciphersBack)
{
    for (const std::u16string password : {u"s3cret", u"p\u00E4ss \U0001F511", u""}) {
        const Bytes stored = ProtectPassword(password);
        EXPECT_EQ(stored.size(), 2 * password.size());
        EXPECT_EQ(UnprotectPassword(stored), password);
        EXPECT_EQ(ProtectPassword(password), stored) << "every use starts from a fresh key schedule";
    }
    EXPECT_NE(ProtectPassword(u"AB"), (Bytes{'A', 0, 'B', 0}));
}

} // namespace
} // namespace orvana
