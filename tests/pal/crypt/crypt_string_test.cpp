// Base64 decoding as the login uses it on salts and challenges.
#include "pal/crypt/crypt_string.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Decode(const std::string& text, BOOL* ok = nullptr)
{
    DWORD size = 0;
    BOOL sized = CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, nullptr,
                                      &size, nullptr, nullptr);
    std::string bytes(size, '\0');
    BOOL decoded = sized && CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64,
                                                 reinterpret_cast<BYTE*>(bytes.data()), &size, nullptr, nullptr);
    if (ok) *ok = decoded;
    bytes.resize(size);
    return bytes;
}

TEST(CryptStringToBinary, DecodesEveryPaddingAndSkipsLineBreaks)
{
    EXPECT_EQ("hello", Decode("aGVsbG8="));
    EXPECT_EQ("hell", Decode("aGVsbA=="));
    EXPECT_EQ("hel", Decode("aGVs"));
    EXPECT_EQ(std::string("\0\xff\x10", 3), Decode("AP8Q"));
    EXPECT_EQ("hello", Decode("aGVs\r\nbG8="));
    BOOL ok = FALSE;
    EXPECT_EQ("", Decode("", &ok)); // a salt may decode to nothing
    EXPECT_TRUE(ok);
}

TEST(CryptStringToBinary, RefusesTextThatIsNotBase64AndShortBuffers)
{
    BOOL ok = TRUE;
    Decode("aGVsbG8", &ok);
    EXPECT_FALSE(ok);
    Decode("a*Vs", &ok);
    EXPECT_FALSE(ok);

    BYTE small[2];
    DWORD size = sizeof small;
    EXPECT_FALSE(CryptStringToBinaryA("aGVsbG8=", 0, CRYPT_STRING_BASE64, small, &size, nullptr, nullptr));
    EXPECT_EQ(5u, size);
}

} // namespace
