#include "pal/wic/stream_bytes.h"

#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"

#include <algorithm>

namespace pal::wic {

StreamBytes ReadStreamToEnd(IStream* stream)
{
    StreamBytes bytes;
    const auto readInto = [&](std::uint8_t* into, std::size_t count) {
        ULONG got = 0;
        ThrowIfFailed(stream->Read(into, static_cast<ULONG>(count), &got));
        return static_cast<std::size_t>(got);
    };
    // The size is a hint only: a stream that cannot say, or that grew, still reads to its end.
    STATSTG stat{};
    ULARGE_INTEGER position{};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
        SUCCEEDED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position)) &&
        stat.cbSize.QuadPart > position.QuadPart) {
        bytes.resize(
            static_cast<std::size_t>(std::min<ULONGLONG>(stat.cbSize.QuadPart - position.QuadPart, 0xFFFFFFFFu)));
        std::size_t have = 0;
        while (have < bytes.size()) {
            const std::size_t got = readInto(bytes.data() + have, bytes.size() - have);
            if (got == 0) break;
            have += got;
        }
        bytes.resize(have);
        if (have < stat.cbSize.QuadPart - position.QuadPart) return bytes;
    }
    // Past the hint (or without one), in small pieces: the common case reads
    // nothing more here, and the buffer is not grown for that nothing.
    std::uint8_t piece[64 * 1024];
    for (;;) {
        const std::size_t got = readInto(piece, sizeof piece);
        if (got == 0) return bytes;
        bytes.insert(bytes.end(), piece, piece + got);
    }
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
