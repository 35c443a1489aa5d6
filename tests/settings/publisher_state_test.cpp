// The state record in the host's stream: its exact encoding, records that
// load nothing, and damaged fields.
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "settings/publisher_state.h"

#include <gtest/gtest.h>

namespace orvana {
namespace {

using Bytes = std::vector<BYTE>;

// What a load or save answers at a method's edge.
HRESULT Load(IStream* stream, PublisherState& state)
{
    return pal::Boundary([&] {
        LoadState(stream, state);
        return S_OK;
    });
}
HRESULT Save(IStream* stream, const PublisherState& state)
{
    return pal::Boundary([&] {
        SaveState(stream, state);
        return S_OK;
    });
}

pal::ComPtr<IStream> StreamOf(const Bytes& bytes)
{
    pal::ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), S_OK);
    ULONG written = 0;
    EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
    LARGE_INTEGER start{};
    EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    return stream;
}

ULONGLONG PositionOf(IStream* stream)
{
    ULARGE_INTEGER position{};
    EXPECT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position), S_OK);
    return position.QuadPart;
}

// The whole stream, whatever its position.
Bytes ContentOf(IStream* stream)
{
    STATSTG stat{};
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    Bytes content(static_cast<std::size_t>(stat.cbSize.QuadPart));
    EXPECT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    ULONG read = 0;
    EXPECT_EQ(stream->Read(content.data(), static_cast<ULONG>(content.size()), &read), S_OK);
    return content;
}

// size bytes of value, little-endian; bytes past the eighth are zero.
void AppendLE(Bytes& out, std::uint64_t value, int size)
{
    for (int n = 0; n < size; ++n)
        out.push_back(n < 8 ? static_cast<BYTE>(value >> (8 * n)) : 0);
}

PublisherState Previous()
{
    PublisherState state;
    state.AccountIdentifier = u"old account";
    state.LoginName = u"old login";
    state.PhotoBytesQuota = 77;
    return state;
}

TEST(StateRecord, AllNullRecordSavesVersionByteAndFortyZeroBytes)
{
    // An older, longer record goes, wherever the stream stood.
    auto stream = StreamOf(Bytes(100, 0xEE));
    LARGE_INTEGER middle{};
    middle.QuadPart = 60;
    ASSERT_EQ(stream->Seek(middle, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(Save(stream.Get(), PublisherState{}), S_OK);
    Bytes expected(41, 0);
    expected[0] = 1;
    EXPECT_EQ(ContentOf(stream.Get()), expected);
}

TEST(StateRecord, SavesLengthPrefixedUtf16WithTerminatorAndQuotaLittleEndian)
{
    PublisherState state;
    state.AccountIdentifier = u"ab";
    state.PhotoBytesQuota = 0x0102030405060708;
    state.GalleryId = u"";
    auto stream = StreamOf({});
    ASSERT_EQ(Save(stream.Get(), state), S_OK);

    Bytes expected{1, 6, 0, 0, 0, 'a', 0, 'b', 0, 0, 0};
    AppendLE(expected, 0, 12); // three null strings
    AppendLE(expected, 0x0102030405060708, 8);
    AppendLE(expected, 0, 12); // three null strings
    AppendLE(expected, 2, 4);  // empty, not null: just the terminator
    AppendLE(expected, 0, 2);
    EXPECT_EQ(ContentOf(stream.Get()), expected);
}

TEST(StateRecord, RoundTripKeepsEveryFieldAndTellsEmptyFromNull)
{
    PublisherState saved;
    saved.AccountIdentifier = u"someone@example.org";
    saved.ProtectedPassword = Bytes{0x00, 0x9C, 0x00, 0x00, 0x41};
    saved.LoginName = u"";
    saved.DisplayName = u"S\u00F6me One \U0001F4F7";
    saved.PhotoBytesQuota = -0x123456789ABC;
    saved.HomeUrl = u"http://someone.example.org";
    saved.UploadUrl = u"http://up.example.org/p1/upload.ushx";
    saved.GalleryId = u"1234";
    auto stream = StreamOf({});
    ASSERT_EQ(Save(stream.Get(), saved), S_OK);

    ASSERT_EQ(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), S_OK);
    PublisherState loaded = Previous();
    loaded.GalleryTitle = u"old title";
    ASSERT_EQ(Load(stream.Get(), loaded), S_OK);
    EXPECT_EQ(loaded, saved);
}

TEST(StateRecord, TheVersionByteReadAsSignedDecidesWhetherTheRecordLoads)
{
    PublisherState written;
    written.AccountIdentifier = u"new account";
    written.PhotoBytesQuota = 5;
    auto stream = StreamOf({});
    ASSERT_EQ(Save(stream.Get(), written), S_OK);
    Bytes record = ContentOf(stream.Get());

    PublisherState nothing = Previous();
    nothing.PhotoBytesQuota = 0;
    for (int version = 0; version < 256; ++version) {
        SCOPED_TRACE(version);
        record[0] = static_cast<BYTE>(version);
        auto versioned = StreamOf(record);
        PublisherState state = Previous();
        EXPECT_EQ(Load(versioned.Get(), state), S_OK);
        const bool loads = version >= 1 && version <= 0x7F;
        EXPECT_EQ(state, loads ? written : nothing);
        EXPECT_EQ(PositionOf(versioned.Get()), loads ? record.size() : 1u);
    }

    auto empty = StreamOf({});
    PublisherState state = Previous();
    EXPECT_EQ(Load(empty.Get(), state), S_OK);
    EXPECT_EQ(state, nothing) << "a first use: no record at all";
}

TEST(StateRecord, DamagedFieldFailsWithItsCodeAndRewindsToWhereItBegan)
{
    const struct {
        Bytes password; // field 2, after a good field 1
        HRESULT expected;
    } cases[] = {
        {{1, 0, 0, 0, 'x', 'x'}, E_FAIL},                // N == 1
        {{6, 0}, E_FAIL},                                // short length prefix
        {{10, 0, 0, 0, 'x', 'x', 'x'}, E_FAIL},          // fewer bytes than announced
        {{0x00, 0x00, 0x10, 0x00, 'x'}, E_FAIL},         // 1 MiB is allowed, but short
        {{0x01, 0x00, 0x10, 0x00, 'x'}, E_ACCESSDENIED}, // past 1 MiB
        {{0xFF, 0xFF, 0xFF, 0xFF}, E_ACCESSDENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.password));
        Bytes bytes{1, 4, 0, 0, 0, 'n', 0, 0, 0};
        bytes.insert(bytes.end(), c.password.begin(), c.password.end());
        auto stream = StreamOf(bytes);

        PublisherState state = Previous();
        state.ProtectedPassword = Bytes{1, 2};
        EXPECT_EQ(Load(stream.Get(), state), c.expected);
        EXPECT_EQ(PositionOf(stream.Get()), 9u);
        EXPECT_EQ(state.AccountIdentifier, u"n") << "a field read before keeps its new value";
        EXPECT_FALSE(state.ProtectedPassword.has_value()) << "the failed field is null";
        EXPECT_EQ(state.LoginName, u"old login") << "fields after the failure are not read";
    }
}

TEST(StateRecord, ShortQuotaIsInvalidData)
{
    Bytes bytes{1};
    AppendLE(bytes, 0, 16);
    AppendLE(bytes, 5, 7);
    auto stream = StreamOf(bytes);
    PublisherState state = Previous();
    EXPECT_EQ(Load(stream.Get(), state), HR(0x8007000D));
    EXPECT_EQ(PositionOf(stream.Get()), 17u);
}

} // namespace
} // namespace orvana
