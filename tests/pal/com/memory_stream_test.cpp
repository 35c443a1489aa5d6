#include "pal/com/global_memory.h"
#include "stream_test_support.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace pal::test;
using pal::ComPtr;

ULONGLONG StreamSize(IStream* stream)
{
    STATSTG stat{};
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
    EXPECT_EQ(stat.pwcsName, nullptr) << "memory streams have no name";
    return stat.cbSize.QuadPart;
}

TEST(MemoryStream, ReadsWhatThereIsAndRestoresPositions)
{
    ComPtr<IStream> stream = NewMemoryStream();
    WriteText(stream.Get(), "header|body");
    SeekTo(stream.Get(), -4, STREAM_SEEK_END);
    const ULONGLONG saved = SeekTo(stream.Get(), 0, STREAM_SEEK_CUR);
    EXPECT_EQ(saved, 7u);
    EXPECT_EQ(ReadText(stream.Get(), 100), "body") << "short read at the end is still S_OK";
    EXPECT_EQ(ReadText(stream.Get(), 10), "");
    SeekTo(stream.Get(), static_cast<LONGLONG>(saved), STREAM_SEEK_SET);
    EXPECT_EQ(ReadText(stream.Get(), 2), "bo");

    EXPECT_EQ(stream->Seek({.QuadPart = -10}, STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(SeekTo(stream.Get(), 0, STREAM_SEEK_CUR), 9u) << "a failed seek does not move";
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
