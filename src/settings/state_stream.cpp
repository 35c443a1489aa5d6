#include "state_stream.h"

#include "pal/wide_string.h"

#include <algorithm>
#include <limits>

namespace orvana {

namespace {

constexpr HRESULT kInvalidData = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

HRESULT CurrentPosition(IStream* stream, ULONGLONG& position)
{
    LARGE_INTEGER zero{};
    ULARGE_INTEGER at{};
    const HRESULT hr = stream->Seek(zero, STREAM_SEEK_CUR, &at);
    position = at.QuadPart;
    return hr;
}

// Puts the stream back where a failed read began and answers that read's failure.
HRESULT Rewind(IStream* stream, ULONGLONG position, HRESULT failure)
{
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(position);
    stream->Seek(to, STREAM_SEEK_SET, nullptr);
    return failure;
}

// A read that delivers fewer bytes than asked for without an error of its own
// answers shortRead; a failing stream answers its own code.
HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size, HRESULT shortRead)
{
    ULONG read = 0;
    const HRESULT hr = stream->Read(buffer, size, &read);
    if (FAILED(hr)) return hr;
    return read == size ? S_OK : shortRead;
}

HRESULT WriteAll(IStream* stream, const void* data, std::size_t size)
{
    if (size > std::numeric_limits<ULONG>::max()) return E_INVALIDARG;
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, static_cast<ULONG>(size), &written);
    if (FAILED(hr)) return hr;
    return written == size ? S_OK : STG_E_MEDIUMFULL;
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

HRESULT WriteLengthPrefixed(IStream* stream, const BYTE* content, std::size_t size)
{
    if (size > std::numeric_limits<DWORD>::max() - 2u) return E_INVALIDARG;
    std::vector<BYTE> record(4 + size + 2, 0);
    PutLittleEndian(record.data(), size + 2, 4);
    std::copy(content, content + size, record.begin() + 4);
    return WriteAll(stream, record.data(), record.size());
}

} // namespace

HRESULT ReadStateBytes(IStream* stream, std::optional<std::vector<BYTE>>& value)
{
    value.reset();
    ULONGLONG start = 0;
    if (const HRESULT hr = CurrentPosition(stream, start); FAILED(hr)) return hr;

    BYTE prefix[4];
    if (const HRESULT hr = ReadExactly(stream, prefix, sizeof prefix, E_FAIL); FAILED(hr))
        return Rewind(stream, start, hr);
    const auto size = static_cast<DWORD>(GetLittleEndian(prefix, sizeof prefix));
    if (size == 0) return S_OK;
    if (size == 1) return Rewind(stream, start, E_FAIL);
    if (size > kMaxStateStringBytes) return Rewind(stream, start, E_ACCESSDENIED);

    std::vector<BYTE> bytes(size);
    if (const HRESULT hr = ReadExactly(stream, bytes.data(), size, E_FAIL); FAILED(hr))
        return Rewind(stream, start, hr);
    // The terminator is not checked: it carries nothing, and a record written
    // with a non-zero one still holds the content the writer meant.
    bytes.resize(size - 2);
    value = std::move(bytes);
    return S_OK;
}

HRESULT ReadStateString(IStream* stream, std::optional<pal::WideString>& value)
{
    value.reset();
    std::optional<std::vector<BYTE>> bytes;
    const HRESULT hr = ReadStateBytes(stream, bytes);
    if (FAILED(hr) || !bytes) return hr;
    // An odd byte count leaves its last byte out: it cannot hold a code unit.
    pal::WideString text(bytes->size() / 2, W('\0'));
    for (std::size_t n = 0; n < text.size(); ++n)
        text[n] = static_cast<WCHAR>(GetLittleEndian(bytes->data() + 2 * n, 2));
    value = std::move(text);
    return S_OK;
}

HRESULT ReadStateInt64(IStream* stream, LONGLONG& value)
{
    ULONGLONG start = 0;
    if (const HRESULT hr = CurrentPosition(stream, start); FAILED(hr)) return hr;
    BYTE bytes[8];
    if (const HRESULT hr = ReadExactly(stream, bytes, sizeof bytes, kInvalidData); FAILED(hr))
        return Rewind(stream, start, hr);
    value = static_cast<LONGLONG>(GetLittleEndian(bytes, sizeof bytes));
    return S_OK;
}

HRESULT WriteStateByte(IStream* stream, BYTE value)
{
    return WriteAll(stream, &value, 1);
}

HRESULT WriteStateBytes(IStream* stream, const std::optional<std::vector<BYTE>>& value)
{
    if (!value) {
        const BYTE none[4] = {};
        return WriteAll(stream, none, sizeof none);
    }
    return WriteLengthPrefixed(stream, value->data(), value->size());
}

HRESULT WriteStateString(IStream* stream, const std::optional<pal::WideString>& value)
{
    if (!value) return WriteStateBytes(stream, std::nullopt);
    std::vector<BYTE> bytes(value->size() * 2);
    for (std::size_t n = 0; n < value->size(); ++n)
        PutLittleEndian(bytes.data() + 2 * n, (*value)[n], 2);
    return WriteLengthPrefixed(stream, bytes.data(), bytes.size());
}

HRESULT WriteStateInt64(IStream* stream, LONGLONG value)
{
    BYTE bytes[8];
    PutLittleEndian(bytes, static_cast<ULONGLONG>(value), sizeof bytes);
    return WriteAll(stream, bytes, sizeof bytes);
}

} // namespace orvana
