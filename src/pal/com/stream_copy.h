// IStream::CopyTo for the layer's streams: reads from the source through a
// bounded buffer and writes to the target, so the target may be a clone that
// shares the source's storage.
#pragma once

#include "stream.h"

namespace pal {

HRESULT CopyStreamThroughBuffer(ISequentialStream* source, IStream* target, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                ULARGE_INTEGER* pcbWritten);

} // namespace pal
