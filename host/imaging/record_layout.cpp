#include "host/imaging/record_layout.h"

#include <algorithm>
#include <cstring>

namespace host::imaging {

namespace {

using namespace std::string_view_literals;

// EXIF 2.32's capture tags; the EXIF IFD's version, pixel sizes, colour
// space, components, interoperability pointer and user comment (the
// copyright group's) stay out.
constexpr TagRef kExifGroupTags[] = {
    {TagIfd::Image, 271},   // Make
    {TagIfd::Image, 272},   // Model
    {TagIfd::Exif, 33434},  // ExposureTime
    {TagIfd::Exif, 33437},  // FNumber
    {TagIfd::Exif, 34850},  // ExposureProgram
    {TagIfd::Exif, 34852},  // SpectralSensitivity
    {TagIfd::Exif, 34855},  // ISOSpeedRatings
    {TagIfd::Exif, 34864},  // SensitivityType
    {TagIfd::Exif, 34865},  // StandardOutputSensitivity
    {TagIfd::Exif, 34866},  // RecommendedExposureIndex
    {TagIfd::Exif, 34867},  // ISOSpeed
    {TagIfd::Exif, 36867},  // DateTimeOriginal
    {TagIfd::Exif, 36868},  // DateTimeDigitized
    {TagIfd::Exif, 36880},  // OffsetTime
    {TagIfd::Exif, 36881},  // OffsetTimeOriginal
    {TagIfd::Exif, 36882},  // OffsetTimeDigitized
    {TagIfd::Exif, 37377},  // ShutterSpeedValue
    {TagIfd::Exif, 37378},  // ApertureValue
    {TagIfd::Exif, 37379},  // BrightnessValue
    {TagIfd::Exif, 37380},  // ExposureBiasValue
    {TagIfd::Exif, 37381},  // MaxApertureValue
    {TagIfd::Exif, 37382},  // SubjectDistance
    {TagIfd::Exif, 37383},  // MeteringMode
    {TagIfd::Exif, 37384},  // LightSource
    {TagIfd::Exif, 37385},  // Flash
    {TagIfd::Exif, 37386},  // FocalLength
    {TagIfd::Exif, 37396},  // SubjectArea
    {TagIfd::Exif, 37520},  // SubSecTime
    {TagIfd::Exif, 37521},  // SubSecTimeOriginal
    {TagIfd::Exif, 37522},  // SubSecTimeDigitized
    {TagIfd::Exif, 41483},  // FlashEnergy
    {TagIfd::Exif, 41492},  // SubjectLocation
    {TagIfd::Exif, 41493},  // ExposureIndex
    {TagIfd::Exif, 41495},  // SensingMethod
    {TagIfd::Exif, 41728},  // FileSource
    {TagIfd::Exif, 41729},  // SceneType
    {TagIfd::Exif, 41985},  // CustomRendered
    {TagIfd::Exif, 41986},  // ExposureMode
    {TagIfd::Exif, 41987},  // WhiteBalance
    {TagIfd::Exif, 41988},  // DigitalZoomRatio
    {TagIfd::Exif, 41989},  // FocalLengthIn35mmFilm
    {TagIfd::Exif, 41990},  // SceneCaptureType
    {TagIfd::Exif, 41991},  // GainControl
    {TagIfd::Exif, 41992},  // Contrast
    {TagIfd::Exif, 41993},  // Saturation
    {TagIfd::Exif, 41994},  // Sharpness
    {TagIfd::Exif, 41996},  // SubjectDistanceRange
    {TagIfd::Exif, 42016},  // ImageUniqueID
    {TagIfd::Exif, 42032},  // CameraOwnerName
    {TagIfd::Exif, 42033},  // BodySerialNumber
    {TagIfd::Exif, 42034},  // the lens: focal length and aperture range
    {TagIfd::Exif, 42035},  // LensMake
    {TagIfd::Exif, 42036},  // LensModel
    {TagIfd::Exif, 42037},  // LensSerialNumber
};

constexpr IptcText kIptcTexts[] = {
    {0, "Caption"sv, false},
    {1, "ObjectName"sv, false},
    {2, "Headline"sv, false},
    {3, "Keywords"sv, true},
    {4, "Byline"sv, true},
    {5, "BylineTitle"sv, true},
    {6, "Credit"sv, false},
    {7, "Source"sv, false},
    {8, "Copyright"sv, false},
    {9, "Writer"sv, true},
    {10, "SpecialInstructions"sv, false},
    {11, "City"sv, false},
    {12, "SubLocation"sv, false},
    {13, "ProvinceState"sv, false},
    {14, "CountryCode"sv, false},
    {15, "CountryName"sv, false},
    {16, "TransmissionReference"sv, false},
    {17, "Category"sv, false},
    {18, "SuppCategory"sv, true},
    {19, "EditStatus"sv, false},
    {20, "FixtureId"sv, false},
    {21, "ReleaseDate"sv, false},
    {22, "ReleaseTime"sv, false},
    {23, "ExpirationDate"sv, false},
    {24, "ExpirationTime"sv, false},
    {25, "Program"sv, false},
    {26, "ProgramVersion"sv, false},
    {27, "Contact"sv, true},
    {28, "LocationCode"sv, true},
    {29, "LocationName"sv, true},
    {30, "ObjectCycle"sv, false},
};

constexpr std::uint8_t kNoTimeByte = 0xFF;

} // namespace

std::uint32_t ExifTagCount(const HostImageInfo& info)
{
    std::uint32_t count = 0;
    std::memcpy(&count, info.exifGroup, sizeof count);
    return count;
}

void SetExifTagCount(HostImageInfo& info, std::uint32_t count)
{
    std::memset(info.exifGroup, 0, sizeof info.exifGroup);
    std::memcpy(info.exifGroup, &count, sizeof count);
}

std::span<const TagRef> ExifGroupTags()
{
    return kExifGroupTags;
}

bool IsExifGroupTag(TagIfd ifd, std::uint16_t tag)
{
    return std::any_of(std::begin(kExifGroupTags), std::end(kExifGroupTags),
                       [&](const TagRef& ref) { return ref.ifd == ifd && ref.tag == tag; });
}

std::span<const IptcText> IptcTexts()
{
    return kIptcTexts;
}

std::optional<IptcTime> IptcTimeOf(const HostIptcBlock& block)
{
    if (block.header8[0] == kNoTimeByte) return std::nullopt;
    IptcTime time{block.header8[0], block.header8[1], block.header8[2], 0};
    if (block.header14 != kNoOffset) time.offsetMinutes = block.header14;
    return time;
}

void SetIptcTime(HostIptcBlock& block, const IptcTime& time)
{
    std::memset(block.header8, kNoTimeByte, sizeof block.header8);
    block.header8[0] = static_cast<BYTE>(time.hours);
    block.header8[1] = static_cast<BYTE>(time.minutes);
    block.header8[2] = static_cast<BYTE>(time.seconds);
    block.header14 = time.offsetMinutes;
}

bool CopyrightBlank(const HostImageInfo& info)
{
    return std::all_of(std::begin(info.copyrightGroup), std::end(info.copyrightGroup),
                       [](BSTR text) { return text == nullptr; });
}

// Anything but all eight bytes zero is a group to write, as the component sees it.
bool ExifBlank(const HostImageInfo& info)
{
    return std::all_of(std::begin(info.exifGroup), std::end(info.exifGroup), [](BYTE b) { return b == 0; });
}

bool XmpBlank(const HostImageInfo& info)
{
    return std::all_of(std::begin(info.xmpGroup), std::end(info.xmpGroup), [](SHORT v) { return v == kAbsent; });
}

bool GpsBlank(const HostImageInfo& info)
{
    return info.gpsGroup == 0;
}

bool IptcBlank(const HostImageInfo& info)
{
    return info.iptc.blanked != 0;
}

} // namespace host::imaging
