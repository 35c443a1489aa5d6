#include "pal/com/stream_copy.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace pal {

namespace {
constexpr ULONGLONG kCopyChunk = 64 * 1024;
}

HRESULT CopyStreamThroughBuffer(ISequentialStream* source, IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                ULARGE_INTEGER* pcbWritten)
{
    ULONGLONG totalRead = 0;
    ULONGLONG totalWritten = 0;
    auto report = [&](HRESULT hr) {
        if (pcbRead) pcbRead->QuadPart = totalRead;
        if (pcbWritten) pcbWritten->QuadPart = totalWritten;
        return hr;
    };
    if (!target) return report(STG_E_INVALIDPOINTER);
    try {
        std::vector<std::byte> buffer(static_cast<std::size_t>(std::min<ULONGLONG>(cb.QuadPart, kCopyChunk)));
        while (totalRead < cb.QuadPart) {
            const ULONG want = static_cast<ULONG>(std::min<ULONGLONG>(cb.QuadPart - totalRead, buffer.size()));
            ULONG got = 0;
            HRESULT hr = source->Read(buffer.data(), want, &got);
            if (FAILED(hr)) return report(hr);
            if (got == 0) break;
            totalRead += got;
            ULONG put = 0;
            hr = target->Write(buffer.data(), got, &put);
            totalWritten += put;
            if (FAILED(hr)) return report(hr);
            if (put != got) return report(STG_E_MEDIUMFULL);
        }
    } catch (const std::bad_alloc&) {
        return report(E_OUTOFMEMORY);
    }
    return report(S_OK);
}

} // namespace pal
