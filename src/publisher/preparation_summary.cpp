#include "preparation_summary.h"

#include "contract/component_strings.h"
#include "imaging/output_size.h"
#include "pal/wide_string.h"

#include <array>
#include <utility>

namespace orvana {
namespace {

constexpr UINT kIdsFilesIntact = 130;
constexpr UINT kIdsPixelsIntact = 131;
constexpr UINT kIdsResample = 132;
constexpr UINT kIdsData = 133;
constexpr UINT kIdsSend = 134;
constexpr UINT kIdsDownscaleFor = 140;
constexpr UINT kIdsDownsizeTo = 141;

// Each switch's word, in the order the phrase names them.
constexpr std::array<std::pair<UINT ImageFormatSettings::*, UINT>, 5> kMetadataWords{{
    {&ImageFormatSettings::WriteCopyright, 135},
    {&ImageFormatSettings::WriteEXIF, 136},
    {&ImageFormatSettings::WriteXMP, 137}, // "rating"
    {&ImageFormatSettings::WriteGPS, 138},
    {&ImageFormatSettings::WriteIPTC, 139},
}};

// ", send copyright, GPS data", or nothing when no metadata goes.
pal::WideString MetadataPhrase(const ImageFormatSettings& jpeg)
{
    pal::WideString words;
    for (const auto& [member, word] : kMetadataWords) {
        if (!(jpeg.*member)) continue;
        words += words.empty() ? W(" ") : W(", ");
        words += ComponentString(word);
    }
    if (words.empty()) return {};
    return W(", ") + ComponentString(kIdsSend) + words + W(" ") + ComponentString(kIdsData);
}

// ", downscale for 24 cm print", ", downsize to 1,600 px", or nothing at the
// original size.
pal::WideString SizePhrase(const ImageFormatSettings& jpeg)
{
    if (jpeg.SizeText.empty() || IsOriginalSize(jpeg.SizeText)) return {};
    const bool print = ReadSizeText(jpeg.SizeText).unit != SizeUnit::Pixels;
    return W(", ") + ComponentString(print ? kIdsDownscaleFor : kIdsDownsizeTo) + W(" ") + jpeg.SizeText;
}

} // namespace

pal::WideString PreparationSummary(const ImageFormatSettings& jpeg)
{
    switch (jpeg.Mode) {
    case PM_FILE_INTACT:
        return ComponentString(kIdsFilesIntact);
    case PM_PIXELS_INTACT:
        return ComponentString(kIdsPixelsIntact) + MetadataPhrase(jpeg);
    default:
        return ComponentString(kIdsResample) + MetadataPhrase(jpeg) + SizePhrase(jpeg);
    }
}

} // namespace orvana
