// Where the host keeps each metadata group in the item record, and which tags
// belong to which group; the reader fills the record by it and the writer
// writes from it. docs/host-imaging.md has the table.
#pragma once

#include "contract/host_image_info.h"
#include "host/imaging/tag_list.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace host::imaging {

// Copyright group: copyrightGroup[i].
enum CopyrightText { kArtist = 0, kCopyrightNotice = 1, kComment = 2, kSoftware = 3 };

// EXIF group: the camera and shooting tags as a tag list in hostStringA8;
// exifGroup's first four bytes count them (so zeroed means blank).
// GPS group: every GPS tag as a tag list in hostStringB0; gpsGroup counts them.
std::uint32_t ExifTagCount(const HostImageInfo& info);
void SetExifTagCount(HostImageInfo& info, std::uint32_t count);
inline BSTR& ExifTagListSlot(HostImageInfo& info) { return info.hostStringA8; }
inline BSTR& GpsTagListSlot(HostImageInfo& info) { return info.hostStringB0; }

// The camera and shooting tags: IFD0's make and model, and the EXIF IFD's
// exposure, lens, date and capture settings. What describes the picture itself
// (size, colour space, orientation, resolution) is not the group's.
struct TagRef {
    TagIfd ifd;
    std::uint16_t tag;
};
std::span<const TagRef> ExifGroupTags();
bool IsExifGroupTag(TagIfd ifd, std::uint16_t tag);

// XMP group: five values, -1 each when absent.
enum XmpValue { kXmpRating = 0, kXmpLabel = 1, kXmpUrgency = 2, kXmpRatingPercent = 3, kXmpMarked = 4 };
constexpr SHORT kAbsent = -1;
// xmp:Rating -1 (rejected) is kept as -2, since -1 means absent.
constexpr SHORT kRatingRejected = -2;
// The label's index among the usual colour labels (kLabelOther for any other
// text); its text is in hostStringB8 either way.
constexpr SHORT kLabelOther = 0;
inline constexpr std::array<std::string_view, 6> kLabelNames{"", "Red", "Yellow", "Green", "Blue", "Purple"};
inline BSTR& XmpLabelSlot(HostImageInfo& info) { return info.hostStringB8; }

// IPTC group: the 32 strings hold these IIM datasets (repeated ones joined
// with '\n'); string 31 is the XMP usage terms, which IIM has no dataset for.
struct IptcText {
    std::size_t index;
    std::string_view dataset; // exiv2's IPTC dataset name
    bool repeated;
};
std::span<const IptcText> IptcTexts();
constexpr std::size_t kIptcUsageTerms = 31;
constexpr char kRepeatSeparator = '\n';

// The IPTC block's header: header0 DateCreated as yyyymmdd (-1 absent),
// header4 the number of keywords, header6 Urgency (-1 absent), header8
// TimeCreated as hours, minutes, seconds (0xFF each when absent), header14 its
// UTC offset in minutes (0x80000000 when absent).
struct IptcTime {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int offsetMinutes = 0;
};
std::optional<IptcTime> IptcTimeOf(const HostIptcBlock& block);
void SetIptcTime(HostIptcBlock& block, const IptcTime& time);
constexpr LONG kNoDate = -1;
constexpr LONG kNoOffset = static_cast<LONG>(0x80000000u);

// The blanking rules the component applies before asking for every group.
bool CopyrightBlank(const HostImageInfo& info);
bool ExifBlank(const HostImageInfo& info);
bool XmpBlank(const HostImageInfo& info);
bool GpsBlank(const HostImageInfo& info);
bool IptcBlank(const HostImageInfo& info);

} // namespace host::imaging
