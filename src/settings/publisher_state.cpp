#include "settings/publisher_state.h"

#include "pal/hresult_error.h"
#include "state_stream.h"

namespace orvana {

namespace {
constexpr BYTE kStateVersion = 1;
} // namespace

void LoadState(IStream* stream, PublisherState& state)
{
    if (!stream) throw pal::HResultError(E_POINTER);

    BYTE version = 0;
    ULONG read = 0;
    pal::ThrowIfFailed(stream->Read(&version, 1, &read));
    // A new stream is empty; a version that is zero or "negative" is treated
    // the same, as no record at all.
    if (read < 1 || static_cast<signed char>(version) < 1) {
        state.PhotoBytesQuota = 0;
        return;
    }

    ReadStateString(stream, state.AccountIdentifier);
    ReadStateBytes(stream, state.ProtectedPassword);
    ReadStateString(stream, state.LoginName);
    ReadStateString(stream, state.DisplayName);
    ReadStateInt64(stream, state.PhotoBytesQuota);
    ReadStateString(stream, state.HomeUrl);
    ReadStateString(stream, state.UploadUrl);
    ReadStateString(stream, state.GalleryTitle);
    ReadStateString(stream, state.GalleryId);
}

void SaveState(IStream* stream, const PublisherState& state)
{
    if (!stream) throw pal::HResultError(E_POINTER);

    LARGE_INTEGER start{};
    pal::ThrowIfFailed(stream->Seek(start, STREAM_SEEK_SET, nullptr));
    ULARGE_INTEGER empty{};
    pal::ThrowIfFailed(stream->SetSize(empty));

    WriteStateByte(stream, kStateVersion);
    WriteStateString(stream, state.AccountIdentifier);
    WriteStateBytes(stream, state.ProtectedPassword);
    WriteStateString(stream, state.LoginName);
    WriteStateString(stream, state.DisplayName);
    WriteStateInt64(stream, state.PhotoBytesQuota);
    WriteStateString(stream, state.HomeUrl);
    WriteStateString(stream, state.UploadUrl);
    WriteStateString(stream, state.GalleryTitle);
    WriteStateString(stream, state.GalleryId);
}

} // namespace orvana
