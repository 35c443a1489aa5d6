#include "pal/com/guid.h"
#include "pal/guid_text.h"

#include <gtest/gtest.h>

namespace {

// Distinct nibbles everywhere: a field read from the wrong offset shows.
constexpr GUID kSample = pal::MakeGuid("01234567-89ab-cdef-0123-456789abcdef");
constexpr char16_t kText[] = u"{01234567-89AB-CDEF-0123-456789ABCDEF}";

TEST(Guid, TextRoundTrip)
{
    EXPECT_EQ(pal::GuidToString(kSample), kText) << "braced upper case";
    OLECHAR buffer[39];
    ASSERT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
    EXPECT_EQ(std::u16string(buffer), kText);
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0) << "no room for the terminator";

    GUID parsed{};
    ASSERT_TRUE(pal::TryParseGuid(u"{01234567-89ab-cdef-0123-456789abcdef}", parsed));
    EXPECT_EQ(parsed, kSample);
    ASSERT_EQ(CLSIDFromString(kText, &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
    ASSERT_EQ(IIDFromString(kText, &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
    ASSERT_EQ(CLSIDFromString(nullptr, &parsed), S_OK);
    EXPECT_EQ(parsed, GUID_NULL);
}

TEST(Guid, RejectsMalformedText)
{
    const char16_t* const malformed[] = {
        u"",
        u"01234567-89AB-CDEF-0123-456789ABCDEF",
        u"{01234567-89AB-CDEF-0123-456789ABCDEF",
        u"{01234567-89AB-CDEF-0123-456789ABCDEF}x",
        u"{01234567-89AB-CDEF-0123456789AB-CDEF}",
        u"{01234567A89ABACDEFA0123A456789ABCDEF}", // hex where the dashes go
        u"{0123456G-89AB-CDEF-0123-456789ABCDEF}",
        u"{ 1234567-89AB-CDEF-0123-456789ABCDEF}",
    };
    for (std::size_t i = 0; i < std::size(malformed); ++i) {
        SCOPED_TRACE(i);
        GUID out = kSample;
        EXPECT_FALSE(pal::TryParseGuid(malformed[i], out));
        EXPECT_EQ(out, kSample) << "untouched on failure";
        EXPECT_EQ(CLSIDFromString(malformed[i], &out), CO_E_CLASSSTRING);
        EXPECT_TRUE(FAILED(IIDFromString(malformed[i], &out)));
    }
}

} // namespace
