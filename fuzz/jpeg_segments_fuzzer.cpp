// Feeds arbitrary bytes to the JPEG segment parser. Whatever it accepts must
// put itself together again to the same bytes (less any fill bytes before
// markers), take apart again to the same segments and picture data, and keep
// every segment and the picture inside the input.
#include "pal/wic/jpeg_segments.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    const auto layout = pal::wic::ParseJpegSegments(input);
    if (!layout) return 0;
    const auto inside = [&](std::span<const std::uint8_t> part) {
        return part.empty() || (part.data() >= data && part.data() + part.size() <= data + size);
    };
    if (!inside(layout->picture) || layout->picture.size() < 4) std::abort();
    for (const auto& segment : layout->header)
        if (!inside(segment.payload)) std::abort();

    auto rebuilt = pal::wic::AssembleJpegHead(layout->header);
    rebuilt.insert(rebuilt.end(), layout->picture.begin(), layout->picture.end());
    const auto again = pal::wic::ParseJpegSegments(rebuilt);
    if (!again || again->header.size() != layout->header.size()) std::abort();
    for (std::size_t i = 0; i < layout->header.size(); ++i) {
        const auto& a = layout->header[i];
        const auto& b = again->header[i];
        if (a.marker != b.marker || !std::equal(a.payload.begin(), a.payload.end(), b.payload.begin(), b.payload.end()))
            std::abort();
    }
    if (!std::equal(layout->picture.begin(), layout->picture.end(), again->picture.begin(), again->picture.end()))
        std::abort();
    if (rebuilt.size() > size) std::abort();
    return 0;
}
