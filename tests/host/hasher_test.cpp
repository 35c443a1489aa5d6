// HostHasher, as the component reaches it: created by class id, digesting the
// whole stream whatever its position, in raw or Base64 form.
#include "contract/host_interfaces.h"
#include "host/host_classes.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace std::string_view_literals;

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

TEST_F(HostHasher, DigestsTheWholeStreamAndKeepsItsPosition)
{
    EXPECT_EQ(u"1B2M2Y8AsgTpgAmY7PhCfg==", Hash(HASHALG_MD5 | HASHOUT_BASE64).View()); // empty: the digest of nothing
    Write("abc"); // the stream is left at its end, as the callers leave it
    ASSERT_EQ(3u, Position());
    EXPECT_EQ(u"kAFQmDzST7DWlj99KOF/cg==", Hash(HASHALG_MD5 | HASHOUT_BASE64).View());
    EXPECT_EQ(u"ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=", Hash(HASHALG_PROOF | HASHOUT_BASE64).View());
    const pal::Bstr raw = Hash(HASHALG_PROOF | HASHOUT_BINARY);
    EXPECT_EQ("\xba\x78\x16\xbf\x8f\x01\xcf\xea\x41\x41\x40\xde\x5d\xae\x22\x23"
              "\xb0\x03\x61\xa3\x96\x17\x7a\x9c\xb4\x10\xff\x61\xf2\x00\x15\xad"sv,
              std::string_view(reinterpret_cast<const char*>(raw.Get()), SysStringByteLen(raw.Get())));
    EXPECT_EQ(3u, Position());

    LARGE_INTEGER middle{};
    middle.QuadPart = 1;
    stream_->Seek(middle, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(u"kAFQmDzST7DWlj99KOF/cg==", Hash(HASHALG_MD5 | HASHOUT_BASE64).View());
    EXPECT_EQ(1u, Position());
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
