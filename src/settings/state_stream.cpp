#include "state_stream.h"

#include "pal/hresult_error.h"
#include "pal/wide_string.h"

#include <algorithm>
#include <limits>

namespace orvana {

namespace {

constexpr HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

ULONGLONG CurrentPosition(IStream* stream)
{
    LARGE_INTEGER zero{};
    ULARGE_INTEGER at{};
    pal::ThrowIfFailed(stream->Seek(zero, STREAM_SEEK_CUR, &at));
    return at.QuadPart;
}

// Runs read, and when it fails puts the stream back where the value began, so
// a damaged field leaves the stream as it found it.
template <typename Read> void RewindingOnFailure(IStream* stream, Read&& read)
{
    const ULONGLONG start = CurrentPosition(stream);
    try {
        read();
    } catch (...) {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(start);
        stream->Seek(to, STREAM_SEEK_SET, nullptr);
        throw;
    }
}

// A read that delivers fewer bytes than asked for without an error of its own
// fails with shortRead; a failing stream with its own code.
void ReadExactly(IStream* stream, void* buffer, ULONG size, HRESULT shortRead)
{
    ULONG read = 0;
    pal::ThrowIfFailed(stream->Read(buffer, size, &read));
    if (read != size) throw pal::HResultError(shortRead);
}

void WriteAll(IStream* stream, const void* data, std::size_t size)
{
    if (size > std::numeric_limits<ULONG>::max()) throw pal::HResultError(E_INVALIDARG);
    ULONG written = 0;
    pal::ThrowIfFailed(stream->Write(data, static_cast<ULONG>(size), &written));
    if (written != size) throw pal::HResultError(STG_E_MEDIUMFULL);
}

void PutLittleEndian(BYTE* out, ULONGLONG value, std::size_t size) noexcept
{
    for (std::size_t n = 0; n < size; ++n)
        out[n] = static_cast<BYTE>(value >> (8 * n));
}

ULONGLONG GetLittleEndian(const BYTE* in, std::size_t size) noexcept
{
    ULONGLONG value = 0;
    for (std::size_t n = 0; n < size; ++n)
        value |= static_cast<ULONGLONG>(in[n]) << (8 * n);
    return value;
}

void WriteLengthPrefixed(IStream* stream, const BYTE* content, std::size_t size)
{
    if (size > std::numeric_limits<DWORD>::max() - 2u) throw pal::HResultError(E_INVALIDARG);
    std::vector<BYTE> record(4 + size + 2, 0);
    PutLittleEndian(record.data(), size + 2, 4);
    std::copy(content, content + size, record.begin() + 4);
    WriteAll(stream, record.data(), record.size());
}

} // namespace

void ReadStateBytes(IStream* stream, std::optional<std::vector<BYTE>>& value)
{
    value.reset();
    RewindingOnFailure(stream, [&] {
        BYTE prefix[4];
        ReadExactly(stream, prefix, sizeof prefix, E_FAIL);
        const auto size = static_cast<DWORD>(GetLittleEndian(prefix, sizeof prefix));
        if (size == 0) return;
        if (size == 1) throw pal::HResultError(E_FAIL);
        if (size > kMaxStateStringBytes) throw pal::HResultError(E_ACCESSDENIED);

        std::vector<BYTE> bytes(size);
        ReadExactly(stream, bytes.data(), size, E_FAIL);
        // The terminator is not checked: it carries nothing, and a record written
        // with a non-zero one still holds the content the writer meant.
        bytes.resize(size - 2);
        value = std::move(bytes);
    });
}

void ReadStateString(IStream* stream, std::optional<pal::WideString>& value)
{
    value.reset();
    std::optional<std::vector<BYTE>> bytes;
    ReadStateBytes(stream, bytes);
    if (!bytes) return;
    // An odd byte count leaves its last byte out: it cannot hold a code unit.
    pal::WideString text(bytes->size() / 2, W('\0'));
    for (std::size_t n = 0; n < text.size(); ++n)
        text[n] = static_cast<WCHAR>(GetLittleEndian(bytes->data() + 2 * n, 2));
    value = std::move(text);
}

void ReadStateInt64(IStream* stream, LONGLONG& value)
{
    RewindingOnFailure(stream, [&] {
        BYTE bytes[8];
        ReadExactly(stream, bytes, sizeof bytes, kInvalidData);
        value = static_cast<LONGLONG>(GetLittleEndian(bytes, sizeof bytes));
    });
}

void WriteStateByte(IStream* stream, BYTE value)
{
    WriteAll(stream, &value, 1);
}

void WriteStateBytes(IStream* stream, const std::optional<std::vector<BYTE>>& value)
{
    if (!value) {
        const BYTE none[4] = {};
        WriteAll(stream, none, sizeof none);
        return;
    }
    WriteLengthPrefixed(stream, value->data(), value->size());
}

void WriteStateString(IStream* stream, const std::optional<pal::WideString>& value)
{
    if (!value) {
        WriteStateBytes(stream, std::nullopt);
        return;
    }
    std::vector<BYTE> bytes(value->size() * 2);
    for (std::size_t n = 0; n < value->size(); ++n)
        PutLittleEndian(bytes.data() + 2 * n, (*value)[n], 2);
    WriteLengthPrefixed(stream, bytes.data(), bytes.size());
}

void WriteStateInt64(IStream* stream, LONGLONG value)
{
    BYTE bytes[8];
    PutLittleEndian(bytes, static_cast<ULONGLONG>(value), sizeof bytes);
    WriteAll(stream, bytes, sizeof bytes);
}

} // namespace orvana
