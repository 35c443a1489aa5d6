// Whether the platform's JPEG encoder takes a chroma-subsampling option.
#pragma once

namespace orvana {

// Decided once per process, at the first call, then fixed.
bool SupportsChromaSubsampling();

} // namespace orvana
