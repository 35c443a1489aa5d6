#include "pal/com/bstr.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(Bstr, LengthPrefixEmbeddedZerosAndTerminator)
{
    const char16_t text[] = {u'a', u'\0', u'b'};
    pal::Bstr b = pal::Bstr::Attach(SysAllocStringLen(text, 3));
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(b.Get()) - 4, 4);
    EXPECT_EQ(prefix, 6u) << "byte count just before the characters";
    EXPECT_EQ(b.View(), std::u16string_view(text, 3));
    EXPECT_EQ(b.Get()[3], u'\0');

    pal::Bstr blank = pal::Bstr::Attach(SysAllocStringLen(nullptr, 2));
    EXPECT_EQ(blank.View(), std::u16string_view(u"\0\0", 2)) << "null source gives zeros";
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, ByteLengthStringsKeepOddLengths)
{
    pal::Bstr b = pal::Bstr::Attach(SysAllocStringByteLen("abc", 3));
    EXPECT_EQ(SysStringByteLen(b.Get()), 3u);
    EXPECT_EQ(SysStringLen(b.Get()), 1u) << "whole characters only";
    EXPECT_EQ(std::memcmp(b.Get(), "abc", 4), 0) << "content then a zero byte";
    EXPECT_EQ(b.Get()[2], u'\0') << "and a whole zero character";
    EXPECT_NE(pal::Bstr::Attach(SysAllocStringByteLen(nullptr, 0)).Get(), nullptr) << "empty is not null";
}

TEST(Bstr, ReAllocMayReadItsOwnContent)
{
    BSTR b = SysAllocString(u"first value");
    ASSERT_TRUE(SysReAllocString(&b, b + 6));
    EXPECT_EQ(std::u16string_view(b, SysStringLen(b)), u"value");
    EXPECT_FALSE(SysReAllocString(nullptr, u"x"));
    SysFreeString(b);
}

} // namespace
