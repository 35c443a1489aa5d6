#include "pal/com/global_memory.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(GlobalMemory, FixedIsItsPointerMoveableCountsLocks)
{
    HGLOBAL fixed = GlobalAlloc(GPTR, 16);
    EXPECT_EQ(GlobalLock(fixed), fixed);
    EXPECT_EQ(static_cast<const char*>(fixed)[15], 0) << "GMEM_ZEROINIT";
    EXPECT_EQ(GlobalFree(fixed), nullptr);

    HGLOBAL moveable = GlobalAlloc(GHND, 8);
    void* data = GlobalLock(moveable);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(data, moveable) << "the handle is not the data";
    EXPECT_EQ(GlobalLock(moveable), data);
    EXPECT_TRUE(GlobalUnlock(moveable)) << "still locked once";
    EXPECT_FALSE(GlobalUnlock(moveable)) << "now unlocked";
    EXPECT_FALSE(GlobalUnlock(moveable)) << "nothing left to unlock";
    EXPECT_EQ(GlobalFree(moveable), nullptr);
}

TEST(GlobalMemory, ReAllocMovesOnlyWhatMayMove)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
    {
        pal::GlobalLockGuard data(block);
        std::memcpy(data.Data(), "abcd", 4);
        EXPECT_EQ(GlobalReAlloc(block, 1 << 20, GMEM_MOVEABLE), nullptr) << "locked blocks stay put";
        EXPECT_EQ(GlobalReAlloc(block, 2, GMEM_MOVEABLE), block) << "shrinking in place is fine";
    }
    ASSERT_EQ(GlobalReAlloc(block, 1 << 20, GMEM_MOVEABLE | GMEM_ZEROINIT), block) << "same handle after moving";
    EXPECT_EQ(GlobalSize(block), 1u << 20);
    EXPECT_EQ(std::memcmp(pal::GlobalLockGuard(block).Data(), "ab\0", 3), 0) << "kept, then zeroed";
    ASSERT_EQ(GlobalReAlloc(block, 0, GMEM_MOVEABLE), block) << "discarded, handle lives on";
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr);

    HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
    EXPECT_EQ(GlobalReAlloc(fixed, 1 << 20, 0), nullptr) << "fixed cannot move unless asked";
    fixed = GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalSize(fixed), 1u << 20);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
}

TEST(GlobalMemory, BadHandlesFailWithoutCrashing)
{
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_FALSE(GlobalUnlock(nullptr));
    EXPECT_EQ(GlobalSize(nullptr), 0u);
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    int notABlock = 0;
    EXPECT_EQ(GlobalLock(&notABlock), nullptr);
    EXPECT_EQ(GlobalFree(&notABlock), &notABlock) << "failure returns the handle";
}

} // namespace
