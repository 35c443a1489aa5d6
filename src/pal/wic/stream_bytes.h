// Whole pictures in and out of streams: codecs here work on bytes in memory.
#pragma once

#include "pal/com/stream.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pal::wic {

// From the stream's position to its end. Throws HResultError with the
// stream's failure.
std::vector<std::uint8_t> ReadStreamToEnd(IStream* stream);
// Up to count bytes from the position, which is then put back where it was.
std::vector<std::uint8_t> PeekStream(IStream* stream, std::size_t count);
// Throws HResultError with the stream's failure, WINCODEC_ERR_STREAMWRITE for a short write.
void WriteToStream(IStream* stream, std::span<const std::uint8_t> bytes);

} // namespace pal::wic
