// HostHasher, as the component reaches it: created by class id, digesting the
// whole stream whatever its position, in raw or Base64 form.
#include "host/host_classes.h"
#include "pal/com/activation.h"
#include "pal/com/com_ptr.h"
#include "plugin/host_interfaces.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

class HostHasher : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        classes_.emplace();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_HostHasher, nullptr, CLSCTX_ALL, IID_IHostHasher,
                                         hasher_.ReleaseAndGetVoidAddress()));
        ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream_.ReleaseAndGetAddressOf()));
    }
    void TearDown() override
    {
        hasher_.Reset();
        classes_.reset();
        CoUninitialize();
    }

    void Write(std::string_view bytes) { stream_->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr); }
    pal::Bstr Hash(ULONG selector)
    {
        pal::Bstr digest;
        EXPECT_EQ(S_OK, hasher_->HashStream(stream_.Get(), selector, digest.ReleaseAndGetAddressOf()));
        return digest;
    }
    ULONGLONG Position()
    {
        ULARGE_INTEGER at{};
        stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at);
        return at.QuadPart;
    }

    std::optional<host::HostClassRegistration> classes_;
    pal::ComPtr<IHostHasher> hasher_;
    pal::ComPtr<IStream> stream_;
};

std::string Hex(const pal::Bstr& raw)
{
    static const char digits[] = "0123456789abcdef";
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.Get());
    std::string hex;
    for (UINT n = 0; n < SysStringByteLen(raw.Get()); ++n) {
        hex += digits[bytes[n] >> 4];
        hex += digits[bytes[n] & 15];
    }
    return hex;
}

TEST_F(HostHasher, DigestsTheWholeStreamAndKeepsItsPosition)
{
    Write("abc"); // the stream is left at its end, as the callers leave it
    ASSERT_EQ(3u, Position());
    EXPECT_EQ(u"kAFQmDzST7DWlj99KOF/cg==", Hash(HASHALG_MD5 | HASHOUT_BASE64).View());
    EXPECT_EQ(u"ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=", Hash(HASHALG_PROOF | HASHOUT_BASE64).View());
    const pal::Bstr raw = Hash(HASHALG_PROOF | HASHOUT_BINARY);
    EXPECT_EQ(32u, SysStringByteLen(raw.Get()));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Hex(raw));
    EXPECT_EQ(3u, Position());

    LARGE_INTEGER middle{};
    middle.QuadPart = 1;
    stream_->Seek(middle, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(u"kAFQmDzST7DWlj99KOF/cg==", Hash(HASHALG_MD5 | HASHOUT_BASE64).View());
    EXPECT_EQ(1u, Position());
}

TEST_F(HostHasher, AnEmptyStreamHasTheDigestOfNothing)
{
    EXPECT_EQ(u"1B2M2Y8AsgTpgAmY7PhCfg==", Hash(HASHALG_MD5 | HASHOUT_BASE64).View());
}

TEST_F(HostHasher, RefusesUnknownSelectorsAndMissingArguments)
{
    BSTR digest = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(E_INVALIDARG, hasher_->HashStream(stream_.Get(), 2 | HASHOUT_BASE64, &digest));
    EXPECT_EQ(nullptr, digest);
    EXPECT_EQ(E_INVALIDARG, hasher_->HashStream(stream_.Get(), HASHALG_MD5, &digest));
    EXPECT_EQ(E_INVALIDARG, hasher_->HashStream(nullptr, HASHALG_MD5 | HASHOUT_BINARY, &digest));
    EXPECT_EQ(E_POINTER, hasher_->HashStream(stream_.Get(), HASHALG_MD5 | HASHOUT_BINARY, nullptr));
}

} // namespace
