// The scrambled constants: the texts do not stand in the data as they are, and
// unscrambling gives them back, cached until released.
#include "service/scrambled_constant.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(ScrambledConstant, TheTransformIsItsOwnInverseForEveryTailLength)
{
    for (std::size_t size = 0; size <= 9; ++size) {
        std::vector<BYTE> bytes(size);
        for (std::size_t n = 0; n < size; ++n)
            bytes[n] = static_cast<BYTE>(0x30 + n);
        const std::vector<BYTE> original = bytes;
        orvana::TransformScrambled(bytes.data(), size, 0xA5C3F00F);
        if (size >= 4) {
            EXPECT_NE(original, bytes) << size;
        }
        orvana::TransformScrambled(bytes.data(), size, 0xA5C3F00F);
        EXPECT_EQ(original, bytes) << size;
    }
}

TEST(ScrambledConstant, TheClientHeaderIsStoredScrambledAndUnscramblesOnce)
{
    const orvana::ScrambledConstant& name = orvana::ClientHeaderName();
    const std::u16string expected = u"X-Zenfolio-User-Agent";
    const auto* payload = name.payload;
    const std::size_t size = name.sizeAndFlag & 0x7FFFFFFF;
    const auto* plainBytes = reinterpret_cast<const BYTE*>(expected.c_str());
    EXPECT_FALSE(std::search(payload, payload + size, plainBytes, plainBytes + 8) != payload + size);

    LPCWSTR first = orvana::Unscramble(name);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(expected, std::u16string(first));
    EXPECT_EQ(first, orvana::Unscramble(name)); // cached
    orvana::Release(name);
    orvana::Release(name);
    EXPECT_EQ(u"Orvana/1.9.289.0", std::u16string(orvana::UnscrambledText(orvana::ClientHeaderValue()).Get()));
}

TEST(ScrambledConstant, ThreadsUnscramblingAtOnceAllSeeTheText)
{
    std::vector<std::thread> threads;
    std::vector<std::u16string> seen(8);
    for (std::size_t n = 0; n < seen.size(); ++n)
        threads.emplace_back([&, n] {
            const orvana::UnscrambledText text(orvana::ClientHeaderValue());
            seen[n] = text.Get();
        });
    for (auto& t : threads)
        t.join();
    for (const auto& text : seen)
        EXPECT_EQ(u"Orvana/1.9.289.0", text);
}

TEST(ScrambledConstant, TheCopyOutlivesAnEarlierHolder)
{
    const orvana::ScrambledConstant& value = orvana::ClientHeaderValue();
    auto first = std::make_unique<orvana::UnscrambledText>(value);
    const orvana::UnscrambledText second(value);
    ASSERT_NE(nullptr, second.Get());
    EXPECT_EQ(first->Get(), second.Get()); // one copy for both
    first.reset();
    EXPECT_EQ(u"Orvana/1.9.289.0", std::u16string(second.Get())); // a use after free before holders were counted
}

} // namespace
