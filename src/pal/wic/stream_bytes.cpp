#include "pal/wic/stream_bytes.h"

#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"

#include <algorithm>

namespace pal::wic {

namespace {

constexpr std::size_t kReadChunk = 1 << 20;

} // namespace

std::vector<std::uint8_t> ReadStreamToEnd(IStream* stream)
{
    std::vector<std::uint8_t> bytes;
    // The size is a hint only: a stream that cannot say still reads to its end.
    STATSTG stat{};
    ULARGE_INTEGER position{};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
        SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position)) &&
        stat.cbSize.QuadPart > position.QuadPart) {
        bytes.reserve(static_cast<std::size_t>(stat.cbSize.QuadPart - position.QuadPart));
    }
    for (;;) {
        const std::size_t used = bytes.size();
        const std::size_t want = std::max(kReadChunk, bytes.capacity() - used);
        bytes.resize(used + want);
        ULONG got = 0;
        const HRESULT hr = stream->Read(bytes.data() + used, static_cast<ULONG>(want), &got);
        bytes.resize(used + (SUCCEEDED(hr) ? got : 0));
        ThrowIfFailed(hr);
        if (got == 0) break;
    }
    return bytes;
}

std::vector<std::uint8_t> PeekStream(IStream* stream, std::size_t count)
{
    ULARGE_INTEGER position{};
    ThrowIfFailed(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position));
    std::vector<std::uint8_t> bytes(count);
    std::size_t have = 0;
    while (have < count) {
        ULONG got = 0;
        ThrowIfFailed(stream->Read(bytes.data() + have, static_cast<ULONG>(count - have), &got));
        if (got == 0) break;
        have += got;
    }
    bytes.resize(have);
    LARGE_INTEGER back{};
    back.QuadPart = static_cast<LONGLONG>(position.QuadPart);
    ThrowIfFailed(stream->Seek(back, STREAM_SEEK_SET, nullptr));
    return bytes;
}

void WriteToStream(IStream* stream, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ULONG want = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
        ULONG put = 0;
        ThrowIfFailed(stream->Write(bytes.data(), want, &put));
        if (put == 0) throw HResultError(WINCODEC_ERR_STREAMWRITE);
        bytes = bytes.subspan(put);
    }
}

} // namespace pal::wic
