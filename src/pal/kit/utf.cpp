#include "pal/utf.h"

#include "pal/wide_string.h"

#include <iterator>

namespace pal {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

// Writes cp's one to four bytes through out.
template <typename Out> Out PutUtf8(Out out, char32_t cp)
{
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

// The code points of UTF-16 text, a lone surrogate as U+FFFD.
template <typename Visit> void ForEachCodePoint(pal::WideView text, Visit visit)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            visit(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            visit(kReplacement);
        } else {
            visit(unit);
        }
    }
}

void AppendUtf16(pal::WideString& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<WCHAR>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<WCHAR>(0xD800 | (cp >> 10));
        out += static_cast<WCHAR>(0xDC00 | (cp & 0x3FF));
    }
}
} // namespace

std::string ToUtf8(pal::WideView text)
{
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&out](char32_t cp) { PutUtf8(std::back_inserter(out), cp); });
    return out;
}

std::size_t Utf8Size(pal::WideView text) noexcept
{
    std::size_t size = 0;
    ForEachCodePoint(text, [&size](char32_t cp) { size += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; });
    return size;
}

void EncodeUtf8(pal::WideView text, char* out) noexcept
{
    ForEachCodePoint(text, [&out](char32_t cp) { out = PutUtf8(out, cp); });
}

pal::WideString ToUtf16(std::string_view text)
{
    pal::WideString out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            AppendUtf16(out, kReplacement);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool ok = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
        }
        if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendUtf16(out, kReplacement);
            i = ok ? j : i + 1;
            continue;
        }
        AppendUtf16(out, cp);
        i = j;
    }
    return out;
}

std::size_t WideLength(const WCHAR* text) noexcept
{
    if (!text) return 0;
    std::size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

} // namespace pal
