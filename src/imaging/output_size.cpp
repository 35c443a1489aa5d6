#include "imaging/output_size.h"

#include "imaging/locale_number_format.h"
#include "pal/text/case_fold.h"
#include "pal/text/wide_format.h"
#include "contract/component_strings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <regex>

namespace orvana {
namespace {

constexpr UINT kIdsOriginal = 124;
constexpr UINT kIdsPixelSuffix = 125;
constexpr UINT kIdsPrint = 126;

constexpr double kPixelDpi = 300.0;
constexpr double kLargestPrintDpi = 330.0;
constexpr double kSmallestPrintDpi = 180.0;
constexpr double kCentimetresPerInch = 2.54;

struct PixelPreset {
    unsigned value;
    const char16_t* tag;
};

constexpr std::array<PixelPreset, 28> kPixelPresets{{
    {160, u""},  {192, u""},       {240, u""},  {320, u""},  {400, u"(S)"}, {480, u""},  {512, u""},
    {576, u""},  {580, u"(M)"},    {600, u""},  {640, u""},  {720, u""},    {768, u""},  {800, u"(L)"},
    {1024, u""}, {1100, u"(XL)"},  {1152, u""}, {1280, u""}, {1360, u""},   {1366, u""}, {1400, u""},
    {1440, u""}, {1550, u"(XXL)"}, {1600, u""}, {1680, u""}, {1920, u""},   {2048, u""}, {2560, u""},
}};

constexpr std::array<const char16_t*, 28> kPrintPresets{
    u"4\" ",   u"5\" ",   u"6\" ",   u"7\" ",   u"8\" ",   u"10\" ",  u"11\" ",  u"12\" ",  u"14\" ",  u"15\" ",
    u"17\" ",  u"18\" ",  u"20\" ",  u"30\" ",  u"9 cm ",  u"10 cm ", u"11 cm ", u"13 cm ", u"18 cm ", u"20 cm ",
    u"24 cm ", u"25 cm ", u"30 cm ", u"40 cm ", u"50 cm ", u"60 cm ", u"70 cm ", u"76 cm ",
};

// Unicode White_Space, as the platform's wide-character classification has it.
bool IsWhiteSpace(char16_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// std::regex has no traits for char16_t, so matching runs over wchar_t,
// one code unit per character; the pattern and the numbers are all BMP.
std::wstring Widen(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring EscapedSeparator(const std::u16string& separator)
{
    std::wstring escaped;
    for (char16_t c : separator) {
        if (c == u'.') escaped += L'\\';
        escaped += static_cast<wchar_t>(c);
    }
    return escaped;
}

double PlainDecimal(std::wstring digits, const std::u16string& decimalSeparator)
{
    if (decimalSeparator != u".") {
        const std::wstring separator = Widen(decimalSeparator);
        for (std::size_t at = digits.find(separator); at != std::wstring::npos; at = digits.find(separator, at + 1))
            digits.replace(at, separator.size(), L".");
    }
    std::string narrow;
    for (wchar_t c : digits)
        narrow += static_cast<char>(c); // digits and '.' only
    double number = 0.0;
    std::from_chars(narrow.data(), narrow.data() + narrow.size(), number);
    return number;
}

UINT ClampedPixels(double value)
{
    if (!(value > 0.0)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<UINT>::max())) return std::numeric_limits<UINT>::max();
    return static_cast<UINT>(value);
}

SizeReading ReadSizeText(std::u16string_view text, const LocaleNumberFormat& format)
{
    std::u16string compact;
    for (char16_t c : text)
        if (!IsWhiteSpace(c)) compact += c;
    if (!format.ThousandSeparator().empty()) std::erase(compact, format.ThousandSeparator().front());

    const std::wstring pattern = L"([0-9]+" + EscapedSeparator(format.DecimalSeparator()) +
                                 L"{0,1}[0-9]*){1}(px|pix|pixel|pixels|\"|in|inch|inches|cm){0,1}(.*)";
    const std::wregex expression(pattern, std::regex::ECMAScript | std::regex::icase);
    const std::wstring subject = Widen(compact);
    std::wsmatch match;
    if (!std::regex_match(subject, match, expression)) return {};

    SizeReading reading;
    reading.matched = true;
    reading.number = PlainDecimal(match[1].str(), format.DecimalSeparator());
    if (match[2].matched) {
        switch (match[2].str().front()) {
        case L'"':
        case L'i':
        case L'I':
            reading.unit = SizeUnit::Inches;
            break;
        case L'c':
        case L'C':
            reading.unit = SizeUnit::Centimetres;
            break;
        default:
            reading.unit = SizeUnit::Pixels;
            break;
        }
    }
    return reading;
}

} // namespace

void FillPixelPresets(DropDownList& list)
{
    const LocaleNumberFormat format;
    const std::u16string suffix = ComponentString(kIdsPixelSuffix);
    list.AddItem(ComponentString(kIdsOriginal));
    for (const PixelPreset& preset : kPixelPresets) {
        const std::u16string text = format.Format(preset.value, 0) + suffix + preset.tag;
        list.AddItem(text, pal::FormatWide(u"%u", preset.value));
    }
}

void FillPrintPresets(DropDownList& list)
{
    const std::u16string print = ComponentString(kIdsPrint);
    for (const char16_t* preset : kPrintPresets)
        list.AddItem(std::u16string(preset) + print);
}

SizeReading ReadSizeText(std::u16string_view text)
{
    return ReadSizeText(text, LocaleNumberFormat());
}

std::u16string NormalizeSizeText(std::u16string_view text)
{
    const LocaleNumberFormat format;
    SizeReading reading = ReadSizeText(text, format);
    if (!reading.matched || reading.number == 0.0) return ComponentString(kIdsOriginal);
    if (reading.unit == SizeUnit::Pixels) reading.number = std::floor(reading.number);

    const bool whole = reading.number == std::floor(reading.number);
    const std::u16string number = format.Format(reading.number, whole ? 0 : 1);
    std::u16string canonical;
    switch (reading.unit) {
    case SizeUnit::Pixels:
        canonical = pal::FormatWide(u"%ls px", number.c_str());
        break;
    case SizeUnit::Inches:
        canonical = pal::FormatWide(u"%ls\"%ls%ls", number.c_str(), u" ", ComponentString(kIdsPrint).c_str());
        break;
    case SizeUnit::Centimetres:
        canonical = pal::FormatWide(u"%ls cm%ls%ls", number.c_str(), u" ", ComponentString(kIdsPrint).c_str());
        break;
    }
    if (canonical.size() > kMaxSizeTextLength) canonical.resize(kMaxSizeTextLength);
    return canonical;
}

bool IsOriginalSize(std::u16string_view text)
{
    return pal::FoldCase(text) == pal::FoldCase(ComponentString(kIdsOriginal));
}

UINT ParseOutputSize(std::u16string_view text, double& dpi)
{
    const SizeReading reading = ReadSizeText(text);
    switch (reading.unit) {
    case SizeUnit::Inches:
        dpi = PrintDpiForLength(reading.number, 4.0, 30.0, kLargestPrintDpi, kSmallestPrintDpi);
        return ClampedPixels(dpi * reading.number + 0.5);
    case SizeUnit::Centimetres:
        dpi = PrintDpiForLength(reading.number, 10.0, 76.0, kLargestPrintDpi, kSmallestPrintDpi);
        return ClampedPixels(dpi * reading.number / kCentimetresPerInch + 0.5);
    case SizeUnit::Pixels:
        break;
    }
    dpi = kPixelDpi;
    return ClampedPixels(reading.number);
}

double PrintDpiForLength(double x, double x1, double x2, double y1, double y2)
{
    if (y1 == y2) return y1;
    if (x1 == x2) return (y1 + y2) / 2.0;
    const double lo = std::min(x1, x2);
    const double hi = std::max(x1, x2);
    if (x <= lo) return y1;
    if (x >= hi) return y2;
    return y1 + (x - lo) * (y2 - y1) / (hi - lo);
}

} // namespace orvana
