#include "pal/wide_format.h"

#include "pal/utf.h"
#include "pal/wide_string.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <strsafe.h>

namespace {

enum class Size { Default, Char, Short, Long, LongLong, SizeT };

struct Directive {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    int width = 0;
    int precision = -1; // none
    Size size = Size::Default;
    bool narrow = false; // "h" on s and c
};

// Where formatted text goes: a growing string, or a fixed buffer that keeps
// what fits and notes that the rest was cut.
class StringSink {
  public:
    void Put(pal::WideView text) { out_ += text; }
    void Fill(WCHAR c, std::size_t count) { out_.append(count, c); }
    pal::WideString Take() { return std::move(out_); }

  private:
    pal::WideString out_;
};

class BufferSink {
  public:
    BufferSink(WCHAR* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}

    void Put(pal::WideView text)
    {
        const std::size_t room = std::min(text.size(), capacity_ - length_);
        std::copy_n(text.data(), room, buffer_ + length_);
        length_ += room;
        cut_ = cut_ || room < text.size();
    }

    void Fill(WCHAR c, std::size_t count)
    {
        const std::size_t room = std::min(count, capacity_ - length_);
        std::fill_n(buffer_ + length_, room, c);
        length_ += room;
        cut_ = cut_ || room < count;
    }

    std::size_t Length() const { return length_; }
    bool Cut() const { return cut_; }

  private:
    WCHAR* buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool cut_ = false;
};

int ReadCount(const WCHAR*& p)
{
    long long value = 0;
    while (*p >= W('0') && *p <= W('9')) {
        value = std::min<long long>(value * 10 + (*p - W('0')), INT_MAX);
        ++p;
    }
    return static_cast<int>(value);
}

// Parses the flags, width, precision and size after a '%'; '*' takes an int argument.
Directive ReadDirective(const WCHAR*& p, va_list& args)
{
    Directive directive;
    for (;; ++p) {
        if (*p == W('-'))
            directive.left = true;
        else if (*p == W('0'))
            directive.zero = true;
        else if (*p == W('+'))
            directive.plus = true;
        else if (*p == W(' '))
            directive.space = true;
        else if (*p == W('#'))
            directive.alternate = true;
        else
            break;
    }
    if (*p == W('*')) {
        ++p;
        const int width = va_arg(args, int);
        directive.left = directive.left || width < 0;
        directive.width = width == INT_MIN ? INT_MAX : std::abs(width);
    } else {
        directive.width = ReadCount(p);
    }
    if (*p == W('.')) {
        ++p;
        if (*p == W('*')) {
            ++p;
            const int precision = va_arg(args, int);
            directive.precision = precision < 0 ? -1 : precision;
        } else {
            directive.precision = ReadCount(p);
        }
    }
    const pal::WideView rest(p);
    if (rest.starts_with(W("I64")) || rest.starts_with(W("ll"))) {
        directive.size = Size::LongLong;
        p += rest[0] == W('I') ? 3 : 2;
    } else if (rest.starts_with(W("I32"))) {
        directive.size = Size::Long;
        p += 3;
    } else if (rest.starts_with(W("hh"))) {
        directive.size = Size::Char;
        directive.narrow = true;
        p += 2;
    } else if (*p == W('h')) {
        directive.size = Size::Short;
        directive.narrow = true;
        ++p;
    } else if (*p == W('l') || *p == W('w')) {
        directive.size = Size::Long;
        ++p;
    } else if (*p == W('I') || *p == W('z')) {
        directive.size = Size::SizeT;
        ++p;
    }
    return directive;
}

template <class Sink> void Pad(Sink& out, const Directive& directive, std::size_t length, bool before)
{
    if (static_cast<std::size_t>(directive.width) <= length || directive.left == before) return;
    out.Fill(W(' '), static_cast<std::size_t>(directive.width) - length);
}

template <class Sink> void PutInteger(Sink& out, const Directive& directive, WCHAR conversion, va_list& args)
{
    const bool isSigned = conversion == W('d') || conversion == W('i');
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (isSigned) {
        std::int64_t value = 0;
        switch (directive.size) {
        case Size::Char:
            value = static_cast<signed char>(va_arg(args, int));
            break;
        case Size::Short:
            value = static_cast<short>(va_arg(args, int));
            break;
        case Size::LongLong:
            value = va_arg(args, long long);
            break;
        case Size::SizeT:
            value = va_arg(args, std::ptrdiff_t);
            break;
        default:
            value = va_arg(args, int);
            break;
        }
        negative = value < 0;
        magnitude = negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    } else {
        switch (directive.size) {
        case Size::Char:
            magnitude = static_cast<unsigned char>(va_arg(args, unsigned));
            break;
        case Size::Short:
            magnitude = static_cast<unsigned short>(va_arg(args, unsigned));
            break;
        case Size::LongLong:
            magnitude = va_arg(args, unsigned long long);
            break;
        case Size::SizeT:
            magnitude = va_arg(args, std::size_t);
            break;
        default:
            magnitude = va_arg(args, unsigned);
            break;
        }
    }

    const unsigned base = conversion == W('x') || conversion == W('X') ? 16 : 10;
    const WCHAR* digitSet = conversion == W('X') ? W("0123456789ABCDEF") : W("0123456789abcdef");
    WCHAR digits[24];
    std::size_t count = 0;
    for (std::uint64_t rest = magnitude; rest != 0; rest /= base)
        digits[count++] = digitSet[rest % base];
    std::reverse(digits, digits + count);

    pal::WideView prefix;
    if (negative)
        prefix = W("-");
    else if (isSigned && directive.plus)
        prefix = W("+");
    else if (isSigned && directive.space)
        prefix = W(" ");
    else if (base == 16 && directive.alternate && magnitude != 0)
        prefix = conversion == W('X') ? W("0X") : W("0x");

    // A precision is the least number of digits; "%.0d" prints nothing for 0.
    std::size_t zeros = 0;
    if (directive.precision >= 0) {
        zeros = std::max<std::size_t>(static_cast<std::size_t>(directive.precision), count) - count;
    } else {
        if (count == 0) zeros = 1;
        if (directive.zero && !directive.left &&
            static_cast<std::size_t>(directive.width) > prefix.size() + count + zeros)
            zeros = static_cast<std::size_t>(directive.width) - prefix.size() - count;
    }
    const std::size_t length = prefix.size() + zeros + count;
    Pad(out, directive, length, true);
    out.Put(prefix);
    out.Fill(W('0'), zeros);
    out.Put({digits, count});
    Pad(out, directive, length, false);
}

// Text and characters: pads with zeros under the '0' flag, as the Windows runtime does.
template <class Sink> void PutText(Sink& out, const Directive& directive, pal::WideView text)
{
    const std::size_t length = text.size();
    if (directive.zero && !directive.left && static_cast<std::size_t>(directive.width) > length)
        out.Fill(W('0'), static_cast<std::size_t>(directive.width) - length);
    else
        Pad(out, directive, length, true);
    out.Put(text);
    Pad(out, directive, length, false);
}

// Reads at most `limit` units, so a precision lets the argument lack a terminator.
template <class Char> std::size_t BoundedLength(const Char* text, int precision)
{
    const std::size_t limit = precision < 0 ? SIZE_MAX : static_cast<std::size_t>(precision);
    std::size_t length = 0;
    while (length < limit && text[length])
        ++length;
    return length;
}

template <class Sink> void PutString(Sink& out, const Directive& directive, va_list& args)
{
    constexpr pal::WideView kNull = W("(null)");
    if (directive.narrow) {
        const char* text = va_arg(args, const char*);
        if (!text) return PutText(out, directive, kNull.substr(0, BoundedLength(kNull.data(), directive.precision)));
        return PutText(out, directive, pal::ToUtf16({text, BoundedLength(text, directive.precision)}));
    }
    const WCHAR* text = va_arg(args, const WCHAR*);
    if (!text) text = kNull.data();
    PutText(out, directive, {text, BoundedLength(text, directive.precision)});
}

template <class Sink> void PutCharacter(Sink& out, const Directive& directive, va_list& args)
{
    const int value = va_arg(args, int);
    if (directive.narrow) return PutText(out, directive, pal::ToUtf16(std::string(1, static_cast<char>(value))));
    const WCHAR c = static_cast<WCHAR>(value);
    PutText(out, directive, {&c, 1});
}

template <class Sink> void Format(Sink& out, const WCHAR* format, va_list& args)
{
    const WCHAR* p = format;
    while (*p) {
        const WCHAR* literal = p;
        while (*p && *p != W('%'))
            ++p;
        out.Put({literal, static_cast<std::size_t>(p - literal)});
        if (!*p) break;

        const WCHAR* start = p++;
        if (*p == W('%')) {
            out.Put(W("%"));
            ++p;
            continue;
        }
        const Directive directive = ReadDirective(p, args);
        const WCHAR conversion = *p;
        switch (conversion) {
        case W('d'):
        case W('i'):
        case W('u'):
        case W('x'):
        case W('X'):
            PutInteger(out, directive, conversion, args);
            break;
        case W('s'):
            PutString(out, directive, args);
            break;
        case W('c'):
            PutCharacter(out, directive, args);
            break;
        default:
            // Not a conversion of this formatter: the text stands as written.
            out.Put({start, static_cast<std::size_t>(p - start) + (conversion ? 1 : 0)});
            if (!conversion) return;
            break;
        }
        ++p;
    }
}

} // namespace

namespace pal {

pal::WideString FormatWideV(const WCHAR* format, va_list args)
{
    StringSink out;
    if (!format) return {};
    va_list copy;
    va_copy(copy, args);
    Format(out, format, copy);
    va_end(copy);
    return out.Take();
}

pal::WideString FormatWide(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    pal::WideString text = FormatWideV(format, args);
    va_end(args);
    return text;
}

} // namespace pal

#ifndef _WIN32
// Windows has these in its own strsafe.h.
HRESULT StringCchVPrintfW(LPWSTR pszDest, std::size_t cchDest, LPCWSTR pszFormat, va_list argList)
{
    if (!pszDest || cchDest == 0) return STRSAFE_E_INVALID_PARAMETER;
    if (cchDest > STRSAFE_MAX_CCH || !pszFormat) {
        pszDest[0] = W('\0');
        return STRSAFE_E_INVALID_PARAMETER;
    }
    BufferSink out(pszDest, cchDest - 1);
    va_list copy;
    va_copy(copy, argList);
    Format(out, pszFormat, copy);
    va_end(copy);
    pszDest[out.Length()] = W('\0');
    return out.Cut() ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

HRESULT StringCchPrintfW(LPWSTR pszDest, std::size_t cchDest, LPCWSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    const HRESULT hr = StringCchVPrintfW(pszDest, cchDest, pszFormat, args);
    va_end(args);
    return hr;
}
#endif
