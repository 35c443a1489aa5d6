#include "settings/publisher_state.h"

#include "state_stream.h"

namespace orvana {

namespace {
constexpr BYTE kStateVersion = 1;
} // namespace

HRESULT LoadState(IStream* stream, PublisherState& state)
{
    if (!stream) return E_POINTER;

    BYTE version = 0;
    ULONG read = 0;
    if (const HRESULT hr = stream->Read(&version, 1, &read); FAILED(hr)) return hr;
    // A new stream is empty; a version that is zero or "negative" is treated
    // the same, as no record at all.
    if (read < 1 || static_cast<signed char>(version) < 1) {
        state.PhotoBytesQuota = 0;
        return S_OK;
    }

    HRESULT hr = S_OK;
    if (FAILED(hr = ReadStateString(stream, state.AccountIdentifier))) return hr;
    if (FAILED(hr = ReadStateBytes(stream, state.ProtectedPassword))) return hr;
    if (FAILED(hr = ReadStateString(stream, state.LoginName))) return hr;
    if (FAILED(hr = ReadStateString(stream, state.DisplayName))) return hr;
    if (FAILED(hr = ReadStateInt64(stream, state.PhotoBytesQuota))) return hr;
    if (FAILED(hr = ReadStateString(stream, state.HomeUrl))) return hr;
    if (FAILED(hr = ReadStateString(stream, state.UploadUrl))) return hr;
    if (FAILED(hr = ReadStateString(stream, state.GalleryTitle))) return hr;
    return ReadStateString(stream, state.GalleryId);
}

HRESULT SaveState(IStream* stream, const PublisherState& state)
{
    if (!stream) return E_POINTER;

    HRESULT hr = S_OK;
    LARGE_INTEGER start{};
    if (FAILED(hr = stream->Seek(start, STREAM_SEEK_SET, nullptr))) return hr;
    ULARGE_INTEGER empty{};
    if (FAILED(hr = stream->SetSize(empty))) return hr;

    if (FAILED(hr = WriteStateByte(stream, kStateVersion))) return hr;
    if (FAILED(hr = WriteStateString(stream, state.AccountIdentifier))) return hr;
    if (FAILED(hr = WriteStateBytes(stream, state.ProtectedPassword))) return hr;
    if (FAILED(hr = WriteStateString(stream, state.LoginName))) return hr;
    if (FAILED(hr = WriteStateString(stream, state.DisplayName))) return hr;
    if (FAILED(hr = WriteStateInt64(stream, state.PhotoBytesQuota))) return hr;
    if (FAILED(hr = WriteStateString(stream, state.HomeUrl))) return hr;
    if (FAILED(hr = WriteStateString(stream, state.UploadUrl))) return hr;
    if (FAILED(hr = WriteStateString(stream, state.GalleryTitle))) return hr;
    return WriteStateString(stream, state.GalleryId);
}

} // namespace orvana
