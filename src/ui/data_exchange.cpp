#include "ui/data_exchange.h"

#include <algorithm>

namespace orvana {

namespace {

// Unicode's White_Space characters: what a wide-character classification
// counts as space, the control characters tab to carriage return included.
bool IsWhiteSpace(WCHAR c)
{
    switch (c) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

} // namespace

bool ReadControlText(DialogControls& controls, int id, std::span<WCHAR> buffer)
{
    if (buffer.empty()) return false;
    const pal::WideString text = controls.Text(id);
    const std::size_t kept = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.data(), kept, buffer.data());
    buffer[kept] = W('\0');
    if (kept == text.size()) return true;
    MessageBeep(MB_OK);
    controls.Focus(id);
    return false;
}

void TrimWhiteSpace(std::span<WCHAR> buffer)
{
    const auto end = std::find(buffer.begin(), buffer.end(), W('\0'));
    auto last = end;
    while (last != buffer.begin() && IsWhiteSpace(*(last - 1)))
        --last;
    const auto first = std::find_if_not(buffer.begin(), last, IsWhiteSpace);
    const auto kept = std::copy(first, last, buffer.begin());
    std::fill(kept, end, W('\0'));
}

} // namespace orvana
