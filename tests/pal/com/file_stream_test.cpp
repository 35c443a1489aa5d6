#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "stream_test_support.h"
#include "tests/support/temporary_prefix.h"

namespace {

using namespace pal::test;
using pal::ComPtr;

class FileStreamTest : public testing_support::PrefixTest {
  protected:
    std::u16string PathOf(const std::string& name) const { return pal::ToUtf16((prefix_.Path() / name).string()); }
    HRESULT Open(const std::string& name, DWORD mode, ComPtr<IStream>& out) const
    {
        return SHCreateStreamOnFileW(PathOf(name).c_str(), mode, out.ReleaseAndGetAddressOf());
    }
};

TEST_F(FileStreamTest, CreateWriteReopenRead)
{
    const std::string name = "r\xC3\xA9sum\xC3\xA9.txt"; // non-ASCII survives UTF-16 -> UTF-8
    ComPtr<IStream> stream;
    ASSERT_EQ(Open(name, STGM_CREATE | STGM_WRITE, stream), S_OK);
    WriteText(stream.Get(), "long old content");
    ASSERT_EQ(Open(name, STGM_CREATE | STGM_WRITE, stream), S_OK) << "truncates";
    WriteText(stream.Get(), "file content");
    EXPECT_EQ(stream->Commit(0), S_OK);
    ReadText(stream.Get(), 4, STG_E_ACCESSDENIED);

    ASSERT_EQ(Open(name, STGM_READ, stream), S_OK);
    EXPECT_EQ(ReadText(stream.Get(), 32, S_FALSE), "file content") << "short read at the end";
    EXPECT_EQ(stream->Write("x", 1, nullptr), STG_E_ACCESSDENIED);
    STATSTG stat{};
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 12u);
    ASSERT_NE(stat.pwcsName, nullptr);
    EXPECT_EQ(std::u16string(stat.pwcsName), PathOf(name));
    CoTaskMemFree(stat.pwcsName);
}

TEST_F(FileStreamTest, OpenErrorsMapToWin32Codes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(Open("absent", STGM_READWRITE, stream), HR(0x80070002));
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(Open("no/such/folder/file", STGM_CREATE | STGM_WRITE, stream), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open("", STGM_READ, stream), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)) << "a folder is no file";
    EXPECT_EQ(Open("f", STGM_CREATE | 0x00010000 /* transacted */, stream), E_INVALIDARG);
}

TEST_F(FileStreamTest, SetSizeSeekAndCopyTo)
{
    ComPtr<IStream> stream;
    ASSERT_EQ(Open("sized", STGM_CREATE | STGM_READWRITE, stream), S_OK);
    WriteText(stream.Get(), "abcdef");
    ASSERT_EQ(stream->SetSize({.QuadPart = 2}), S_OK);
    EXPECT_EQ(SeekTo(stream.Get(), 4, STREAM_SEEK_END), 6u);
    WriteText(stream.Get(), "Z");
    EXPECT_EQ(stream->Seek({.QuadPart = -100}, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);

    SeekTo(stream.Get(), 0, STREAM_SEEK_SET);
    ComPtr<IStream> memory = NewMemoryStream();
    ULARGE_INTEGER read{};
    ASSERT_EQ(stream->CopyTo(memory.Get(), {.QuadPart = ~0ull}, &read, nullptr), S_OK);
    EXPECT_EQ(read.QuadPart, 7u);
    SeekTo(memory.Get(), 0, STREAM_SEEK_SET);
    EXPECT_EQ(ReadText(memory.Get(), 7), std::string("ab\0\0\0\0Z", 7));
}

} // namespace
