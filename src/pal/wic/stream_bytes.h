// Whole pictures in and out of streams: codecs here work on bytes in memory.
#pragma once

#include "pal/com/stream.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pal::wic {

// Leaves new elements uninitialised: a buffer about to be filled by a read
// need not be zeroed first, which for a whole picture is a pass over every page.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

using StreamBytes = std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>>;

// From the stream's position to its end, in one allocation when the stream
// tells its size. Throws HResultError with the stream's failure.
StreamBytes ReadStreamToEnd(IStream* stream);
// Up to count bytes from the position, which is then put back where it was.
std::vector<std::uint8_t> PeekStream(IStream* stream, std::size_t count);
// Throws HResultError with the stream's failure, WINCODEC_ERR_STREAMWRITE for a short write.
void WriteToStream(IStream* stream, std::span<const std::uint8_t> bytes);

} // namespace pal::wic
