// Global memory blocks and the memory streams over them.
#include "pal/com_ptr.h"
#include "pal/unique_global.h"
#include "stream_test_support.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace pal::test;
using pal::ComPtr;

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

ULONGLONG StreamSize(IStream* stream)
{
    STATSTG stat{};
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(stat.pwcsName, nullptr) << "memory streams have no name";
    return stat.cbSize.QuadPart;
}

TEST(MemoryStream, ReadsWhatThereIsAndAFailedSeekDoesNotMove)
{
    ComPtr<IStream> stream = NewMemoryStream();
    WriteText(stream.Get(), "header|body");
    EXPECT_EQ(SeekTo(stream.Get(), -4, STREAM_SEEK_END), 7u);
    EXPECT_EQ(ReadText(stream.Get(), 100), "body") << "short read at the end is still S_OK";
    EXPECT_EQ(ReadText(stream.Get(), 10), "");

    EXPECT_EQ(stream->Seek({.QuadPart = -12}, STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(SeekTo(stream.Get(), 0, STREAM_SEEK_CUR), 11u);
}

TEST(MemoryStream, GapsAndGrowthReadAsZero)
{
    ComPtr<IStream> stream = NewMemoryStream();
    WriteText(stream.Get(), "abc");
    SeekTo(stream.Get(), 5, STREAM_SEEK_END);
    EXPECT_EQ(StreamSize(stream.Get()), 3u) << "seeking alone does not grow";
    WriteText(stream.Get(), "Z");
    SeekTo(stream.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadText(stream.Get(), 20), std::string("abc\0\0\0\0\0Z", 9));

    ASSERT_EQ(stream->SetSize({.QuadPart = 0}), S_OK);
    EXPECT_EQ(StreamSize(stream.Get()), 0u);
    EXPECT_EQ(SeekTo(stream.Get(), 0, STREAM_SEEK_CUR), 9u) << "SetSize leaves the position";
    ASSERT_EQ(stream->SetSize({.QuadPart = 4}), S_OK);
    SeekTo(stream.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadText(stream.Get(), 10), std::string(4, '\0')) << "old bytes do not come back";
}

TEST(MemoryStream, CallerBlockOutlivesTheStreamUnlessDeleteOnRelease)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(pal::GlobalLockGuard(block).Data(), "12345", 5);
    {
        ComPtr<IStream> stream = NewMemoryStream(block, FALSE);
        EXPECT_EQ(ReadText(stream.Get(), 2), "12") << "existing content is the stream's";
        WriteText(stream.Get(), "abcdef");
        HGLOBAL under = nullptr;
        ASSERT_EQ(GetHGlobalFromStream(stream.Get(), &under), S_OK);
        EXPECT_EQ(under, block);
    }
    ASSERT_EQ(GlobalSize(block), 8u);
    EXPECT_EQ(std::memcmp(pal::GlobalLockGuard(block).Data(), "12abcdef", 8), 0);

    // With delete-on-release the block goes with the last stream, clones included.
    ComPtr<IStream> stream = NewMemoryStream(block, TRUE);
    ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
    stream.Reset();
    EXPECT_EQ(GlobalSize(block), 8u);
    clone.Reset();
    EXPECT_EQ(GlobalSize(block), 0u) << "freed";
}

TEST(MemoryStream, ClonesShareDataNotPosition)
{
    ComPtr<IStream> stream = NewMemoryStream();
    WriteText(stream.Get(), "shared");
    ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(clone.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(SeekTo(clone.Get(), 0, STREAM_SEEK_CUR), 6u) << "starts where the original is";
    SeekTo(clone.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadText(clone.Get(), 3), "sha");
    WriteText(stream.Get(), "!");
    EXPECT_EQ(ReadText(clone.Get(), 10), "red!");

    // Copying into a clone of itself must not deadlock or corrupt.
    SeekTo(clone.Get(), 0, STREAM_SEEK_END);
    SeekTo(stream.Get(), 0, STREAM_SEEK_SET);
    ULARGE_INTEGER read{};
    ASSERT_EQ(stream->CopyTo(clone.Get(), {.QuadPart = 3}, &read, nullptr), S_OK);
    EXPECT_EQ(read.QuadPart, 3u);
    SeekTo(stream.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadText(stream.Get(), 20), "shared!sha");
}

TEST(MemoryStream, LockedBlockCannotGrowAndForeignStreamsHaveNoBlock)
{
    ComPtr<IStream> stream = NewMemoryStream();
    HGLOBAL block = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream.Get(), &block), S_OK);
    WriteText(stream.Get(), "x");
    {
        pal::GlobalLockGuard held(block);
        const std::string big(1 << 20, 'b');
        EXPECT_EQ(stream->Write(big.data(), static_cast<ULONG>(big.size()), nullptr), STG_E_MEDIUMFULL);
        EXPECT_EQ(StreamSize(stream.Get()), 1u);
    }

    IStream* raw = nullptr;
    ASSERT_EQ(SHCreateStreamOnFileW(u"/dev/null", STGM_READ, &raw), S_OK);
    ComPtr<IStream> file = ComPtr<IStream>::Attach(raw);
    EXPECT_EQ(GetHGlobalFromStream(file.Get(), &block), E_INVALIDARG);
}

} // namespace
