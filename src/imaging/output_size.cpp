#include "imaging/output_size.h"

#include "contract/component_strings.h"
#include "imaging/locale_number_format.h"
#include "pal/case_fold.h"
#include "pal/utf.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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
    const WCHAR* tag;
};

constexpr std::array<PixelPreset, 28> kPixelPresets{{
    {160, W("")},  {192, W("")},       {240, W("")},  {320, W("")},  {400, W("(S)")}, {480, W("")},  {512, W("")},
    {576, W("")},  {580, W("(M)")},    {600, W("")},  {640, W("")},  {720, W("")},    {768, W("")},  {800, W("(L)")},
    {1024, W("")}, {1100, W("(XL)")},  {1152, W("")}, {1280, W("")}, {1360, W("")},   {1366, W("")}, {1400, W("")},
    {1440, W("")}, {1550, W("(XXL)")}, {1600, W("")}, {1680, W("")}, {1920, W("")},   {2048, W("")}, {2560, W("")},
}};

constexpr std::array<const WCHAR*, 28> kPrintPresets{
    W("4\" "),   W("5\" "),   W("6\" "),   W("7\" "),   W("8\" "),   W("10\" "),  W("11\" "),
    W("12\" "),  W("14\" "),  W("15\" "),  W("17\" "),  W("18\" "),  W("20\" "),  W("30\" "),
    W("9 cm "),  W("10 cm "), W("11 cm "), W("13 cm "), W("18 cm "), W("20 cm "), W("24 cm "),
    W("25 cm "), W("30 cm "), W("40 cm "), W("50 cm "), W("60 cm "), W("70 cm "), W("76 cm "),
};

// Unicode White_Space, as the platform's wide-character classification has it.
bool IsWhiteSpace(WCHAR c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool IsDigit(WCHAR c)
{
    return c >= W('0') && c <= W('9');
}

bool IsAsciiLetter(WCHAR c, WCHAR lower)
{
    return c == lower || c == lower - (W('a') - W('A'));
}

double PlainDecimal(pal::WideView digits, const pal::WideString& decimalSeparator)
{
    std::string narrow; // digits and '.' only
    while (!digits.empty()) {
        if (digits.starts_with(decimalSeparator)) {
            narrow += '.';
            digits.remove_prefix(decimalSeparator.size());
        } else {
            narrow += static_cast<char>(digits.front());
            digits.remove_prefix(1);
        }
    }
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

SizeReading ReadSizeText(pal::WideView text, const LocaleNumberFormat& format)
{
    pal::WideString compact;
    for (WCHAR c : text)
        if (!IsWhiteSpace(c)) compact += c;
    if (!format.ThousandSeparator().empty()) std::erase(compact, format.ThousandSeparator().front());

    // Scanned by hand rather than with a regular expression: building one per
    // call cost far more than the whole reading. Digits, at most one decimal
    // separator, digits; then a unit is recognised by its first letters (any
    // letter case; "px", "pix", "pixel" and "pixels" all mean pixels, as no
    // unit does); whatever follows is ignored.
    std::size_t end = 0;
    while (end < compact.size() && IsDigit(compact[end]))
        ++end;
    if (end == 0) return {};
    const pal::WideString& separator = format.DecimalSeparator();
    if (pal::WideView(compact).substr(end).starts_with(separator)) {
        end += separator.size();
        while (end < compact.size() && IsDigit(compact[end]))
            ++end;
    }

    SizeReading reading;
    reading.matched = true;
    reading.number = PlainDecimal(pal::WideView(compact).substr(0, end), separator);
    const pal::WideView unit = pal::WideView(compact).substr(end);
    if (unit.starts_with(W('"')) ||
        (unit.size() >= 2 && IsAsciiLetter(unit[0], W('i')) && IsAsciiLetter(unit[1], W('n'))))
        reading.unit = SizeUnit::Inches;
    else if (unit.size() >= 2 && IsAsciiLetter(unit[0], W('c')) && IsAsciiLetter(unit[1], W('m')))
        reading.unit = SizeUnit::Centimetres;
    return reading;
}

} // namespace

void FillPixelPresets(DropDownList& list)
{
    const LocaleNumberFormat format;
    const pal::WideString suffix = ComponentString(kIdsPixelSuffix);
    list.AddItem(ComponentString(kIdsOriginal));
    for (const PixelPreset& preset : kPixelPresets) {
        const pal::WideString text = format.Format(preset.value, 0) + suffix + preset.tag;
        list.AddItem(text, pal::ToUtf16(std::to_string(preset.value)));
    }
}

void FillPrintPresets(DropDownList& list)
{
    const pal::WideString print = ComponentString(kIdsPrint);
    for (const WCHAR* preset : kPrintPresets)
        list.AddItem(pal::WideString(preset) + print);
}

SizeReading ReadSizeText(pal::WideView text)
{
    return ReadSizeText(text, LocaleNumberFormat());
}

pal::WideString NormalizeSizeText(pal::WideView text)
{
    const LocaleNumberFormat format;
    SizeReading reading = ReadSizeText(text, format);
    if (!reading.matched || reading.number == 0.0) return ComponentString(kIdsOriginal);
    if (reading.unit == SizeUnit::Pixels) reading.number = std::floor(reading.number);

    const bool whole = reading.number == std::floor(reading.number);
    const pal::WideString number = format.Format(reading.number, whole ? 0 : 1);
    pal::WideString canonical;
    switch (reading.unit) {
    case SizeUnit::Pixels:
        canonical = pal::FormatWide(W("%ls px"), number.c_str());
        break;
    case SizeUnit::Inches:
        canonical = pal::FormatWide(W("%ls\"%ls%ls"), number.c_str(), W(" "), ComponentString(kIdsPrint).c_str());
        break;
    case SizeUnit::Centimetres:
        canonical = pal::FormatWide(W("%ls cm%ls%ls"), number.c_str(), W(" "), ComponentString(kIdsPrint).c_str());
        break;
    }
    if (canonical.size() > kMaxSizeTextLength) canonical.resize(kMaxSizeTextLength);
    return canonical;
}

bool IsOriginalSize(pal::WideView text)
{
    return pal::FoldCase(text) == pal::FoldCase(ComponentString(kIdsOriginal));
}

UINT ParseOutputSize(pal::WideView text, double& dpi)
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
