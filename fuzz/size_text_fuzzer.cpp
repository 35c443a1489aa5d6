// Feeds arbitrary UTF-16 texts of up to 31 characters (what the settings and
// the size box hold) to the size reader: it must never crash, a canonical
// text must fit its 31 characters, and canonical texts must settle at once
// (one more pass may drop a ".0" that the first rounding produced).
#include "imaging/output_size.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string text;
    for (std::size_t n = 0; n + 1 < size && text.size() < orvana::kMaxSizeTextLength; n += 2)
        text += static_cast<char16_t>(data[n] | (data[n + 1] << 8));

    double dpi = 0;
    orvana::ParseOutputSize(text, dpi);
    if (!(dpi >= 180.0 && dpi <= 330.0)) std::abort();

    const std::u16string once = orvana::NormalizeSizeText(text);
    if (once.size() > orvana::kMaxSizeTextLength) std::abort();
    const std::u16string twice = orvana::NormalizeSizeText(once);
    if (orvana::NormalizeSizeText(twice) != twice) std::abort();
    return 0;
}
