// Output sizes of re-encoded pictures: the preset lists of the size drop-down,
// the canonical size texts, and the long edge and print resolution a size
// text stands for. Print sizes get a resolution that falls from 330 dpi for
// small prints to 180 dpi for large ones.
#pragma once

#include "contract/drop_down_list.h"
#include "pal/wide_string.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace orvana {

// A size text holds at most this many characters.
constexpr std::size_t kMaxSizeTextLength = 31;

enum class SizeUnit { Pixels = 0, Inches = 1, Centimetres = 2 };

struct SizeReading {
    bool matched = false;
    double number = 0.0;
    SizeUnit unit = SizeUnit::Pixels;
};

// "Original", then the screen sizes in pixels (item data: the pixel count).
void FillPixelPresets(DropDownList& list);
// The print sizes in inches and centimetres, without item data.
void FillPrintPresets(DropDownList& list);

// Reads a typed or stored size text with the user's number format: white
// space and thousands separators go, then a number, an optional unit and any
// tail. A text that does not read gives 0 pixels and matched false.
SizeReading ReadSizeText(pal::WideView text);

// The canonical form of a size text: "Original", "1,600 px", "12\" print",
// "24 cm print" (with the user's separators), at most 31 characters.
pal::WideString NormalizeSizeText(pal::WideView text);

// Whether a size text is "Original" (in any letter case): no scaling.
bool IsOriginalSize(pal::WideView text);

// The long edge in pixels a size text asks for (0: no scaling) and the print
// resolution to label it with.
UINT ParseOutputSize(pal::WideView text, double& dpi);

// y1 up to the smaller of x1 and x2, y2 from the larger on, linear between.
double PrintDpiForLength(double x, double x1, double x2, double y1, double y2);

} // namespace orvana
