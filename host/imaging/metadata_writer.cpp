#include "host/imaging/metadata_writer.h"

#include "host/imaging/record_layout.h"
#include "host/imaging/tag_list.h"
#include "pal/bstr.h"
#include "pal/utf.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace host::imaging {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kIptcRoot = "/app13/irb/8bimiptc/iptc"sv;
constexpr std::string_view kGpsRoot = "/app1/ifd/gps"sv;

constexpr std::uint16_t kArtistTag = 315;
constexpr std::uint16_t kCopyrightTag = 33432;
constexpr std::uint16_t kSoftwareTag = 305;
constexpr std::uint16_t kUserCommentTag = 37510;
constexpr std::uint16_t kRatingTag = 18246;
constexpr std::uint16_t kRatingPercentTag = 18249;

// Where else a copied block may hold the copyright texts: IFD0's description
// and the Windows comment and author tags, and the XMP forms of all of them.
constexpr std::array kCopyrightElsewhere{
    "/app1/ifd/{ushort=270}"sv,       "/app1/ifd/{ushort=40092}"sv,   "/app1/ifd/{ushort=40093}"sv,
    "/xmp/dc:creator"sv,              "/xmp/dc:rights"sv,             "/xmp/dc:description"sv,
    "/xmp/xmp:CreatorTool"sv,         "/xmp/exif:UserComment"sv,      "/xmp/tiff:Artist"sv,
    "/xmp/tiff:Copyright"sv,          "/xmp/tiff:Software"sv,         "/xmp/tiff:ImageDescription"sv,
};
// The maker's note is camera data too, but opaque: never read, only removed.
constexpr std::uint16_t kMakerNoteTag = 37500;
constexpr std::array kXmpPaths{"/xmp/xmp:Rating"sv, "/xmp/xmp:Label"sv, "/xmp/photoshop:Urgency"sv,
                               "/xmp/MicrosoftPhoto:Rating"sv, "/xmp/xmpRights:Marked"sv};
constexpr std::string_view kUsageTermsPath = "/xmp/xmpRights:UsageTerms"sv;
// The XMP forms of the IIM datasets.
constexpr std::array kIptcElsewhere{
    "/xmp/dc:title"sv,
    "/xmp/dc:subject"sv,
    "/xmp/photoshop:Headline"sv,
    "/xmp/photoshop:AuthorsPosition"sv,
    "/xmp/photoshop:Credit"sv,
    "/xmp/photoshop:Source"sv,
    "/xmp/photoshop:Instructions"sv,
    "/xmp/photoshop:CaptionWriter"sv,
    "/xmp/photoshop:City"sv,
    "/xmp/photoshop:State"sv,
    "/xmp/photoshop:Country"sv,
    "/xmp/Iptc4xmpCore:Location"sv,
    "/xmp/Iptc4xmpCore:CountryCode"sv,
    "/xmp/photoshop:TransmissionReference"sv,
    "/xmp/photoshop:Category"sv,
    "/xmp/photoshop:SupplementalCategories"sv,
    "/xmp/photoshop:DateCreated"sv,
};

std::string TagPath(TagIfd ifd, std::uint16_t tag)
{
    const char* root = ifd == TagIfd::Image ? "/app1/ifd" : ifd == TagIfd::Exif ? "/app1/ifd/exif" : "/app1/ifd/gps";
    return std::string(root) + "/{ushort=" + std::to_string(tag) + "}";
}

std::string Utf8(BSTR text)
{
    return pal::ToUtf8(pal::WideView(text, SysStringLen(text)));
}

pal::WideString Wide(BSTR text)
{
    return pal::WideString(text, SysStringLen(text));
}

std::vector<pal::WideString> Items(BSTR text)
{
    std::vector<pal::WideString> items;
    const pal::WideView all(text, SysStringLen(text));
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = all.find(static_cast<WCHAR>(kRepeatSeparator), start);
        const pal::WideView item = all.substr(start, end == pal::WideView::npos ? pal::WideView::npos : end - start);
        if (!item.empty()) items.emplace_back(item);
        if (end == pal::WideView::npos) return items;
        start = end + 1;
    }
}

MetadataValue ValueOf(const TagEntry& entry)
{
    switch (entry.type) {
    case TagType::Ascii:
        return MetadataValue::Text(entry.text);
    case TagType::Byte:
        return MetadataValue::Numbers(VT_UI1, entry.integers);
    case TagType::Short:
        return MetadataValue::Numbers(VT_UI2, entry.integers);
    case TagType::Long:
        return MetadataValue::Numbers(VT_UI4, entry.integers);
    case TagType::SShort:
        return MetadataValue::Numbers(VT_I2, entry.integers);
    case TagType::SLong:
        return MetadataValue::Numbers(VT_I4, entry.integers);
    case TagType::Rational:
    case TagType::SRational: {
        std::vector<std::pair<std::int64_t, std::int64_t>> rationals;
        for (const Rational& r : entry.rationals) rationals.emplace_back(r.numerator, r.denominator);
        return MetadataValue::Rationals(entry.type == TagType::SRational, std::move(rationals));
    }
    case TagType::Undefined:
        break;
    }
    return MetadataValue::Blob(std::vector<std::uint8_t>(entry.integers.begin(), entry.integers.end()));
}

// EXIF's user comment: an 8-byte character code, then the text; ASCII where
// it fits, else UTF-16 in the little-endian order of the writer's IFDs.
MetadataValue UserComment(BSTR text)
{
    const pal::WideView wide(text, SysStringLen(text));
    const bool ascii = std::all_of(wide.begin(), wide.end(), [](WCHAR c) { return c < 0x80; });
    std::vector<std::uint8_t> bytes;
    const std::string_view code = ascii ? "ASCII\0\0\0"sv : "UNICODE\0"sv;
    bytes.assign(code.begin(), code.end());
    for (WCHAR c : wide) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        if (!ascii) bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return MetadataValue::Blob(std::move(bytes));
}

void PlanCopyright(const HostImageInfo& info, MetadataPlan& plan)
{
    if (CopyrightBlank(info)) {
        for (std::uint16_t tag : {kArtistTag, kCopyrightTag, kSoftwareTag})
            plan.removals.push_back(TagPath(TagIfd::Image, tag));
        plan.removals.push_back(TagPath(TagIfd::Exif, kUserCommentTag));
        plan.removals.insert(plan.removals.end(), kCopyrightElsewhere.begin(), kCopyrightElsewhere.end());
        return;
    }
    auto& sets = plan.sets;
    if (BSTR artist = info.copyrightGroup[kArtist]) {
        sets.emplace_back(TagPath(TagIfd::Image, kArtistTag), MetadataValue::Text(Utf8(artist)));
        sets.emplace_back("/xmp/dc:creator", MetadataValue::WideTexts({Wide(artist)}));
    }
    if (BSTR notice = info.copyrightGroup[kCopyrightNotice]) {
        sets.emplace_back(TagPath(TagIfd::Image, kCopyrightTag), MetadataValue::Text(Utf8(notice)));
        sets.emplace_back("/xmp/dc:rights", MetadataValue::WideText(Wide(notice)));
    }
    if (BSTR comment = info.copyrightGroup[kComment]) {
        sets.emplace_back(TagPath(TagIfd::Exif, kUserCommentTag), UserComment(comment));
        sets.emplace_back("/xmp/dc:description", MetadataValue::WideText(Wide(comment)));
    }
    if (BSTR software = info.copyrightGroup[kSoftware]) {
        sets.emplace_back(TagPath(TagIfd::Image, kSoftwareTag), MetadataValue::Text(Utf8(software)));
        sets.emplace_back("/xmp/xmp:CreatorTool", MetadataValue::WideText(Wide(software)));
    }
}

std::vector<TagEntry> TagList(BSTR text)
{
    return text ? DecodeTagList(Utf8(text)) : std::vector<TagEntry>{};
}

void PlanExif(const HostImageInfo& info, MetadataPlan& plan)
{
    if (ExifBlank(info)) {
        for (const TagRef& ref : ExifGroupTags()) plan.removals.push_back(TagPath(ref.ifd, ref.tag));
        plan.removals.push_back(TagPath(TagIfd::Exif, kMakerNoteTag));
        return;
    }
    for (const TagEntry& entry : TagList(info.hostStringA8))
        if (IsExifGroupTag(entry.ifd, entry.tag)) plan.sets.emplace_back(TagPath(entry.ifd, entry.tag), ValueOf(entry));
}

void PlanGps(const HostImageInfo& info, MetadataPlan& plan)
{
    if (GpsBlank(info)) {
        plan.removals.emplace_back(kGpsRoot);
        return;
    }
    for (const TagEntry& entry : TagList(info.hostStringB0)) {
        if (entry.ifd != TagIfd::Gps) continue;
        plan.sets.emplace_back(TagPath(TagIfd::Gps, entry.tag), ValueOf(entry));
    }
}

void PlanXmp(const HostImageInfo& info, MetadataPlan& plan)
{
    if (XmpBlank(info)) {
        plan.removals.insert(plan.removals.end(), kXmpPaths.begin(), kXmpPaths.end());
        plan.removals.push_back(TagPath(TagIfd::Image, kRatingTag));
        plan.removals.push_back(TagPath(TagIfd::Image, kRatingPercentTag));
        return;
    }
    auto& sets = plan.sets;
    const SHORT rating = info.xmpGroup[kXmpRating];
    if (rating == kRatingRejected) {
        sets.emplace_back("/xmp/xmp:Rating", MetadataValue::Numbers(VT_I2, {-1}));
    } else if (rating >= 0) {
        sets.emplace_back("/xmp/xmp:Rating", MetadataValue::Numbers(VT_I2, {rating}));
        sets.emplace_back(TagPath(TagIfd::Image, kRatingTag), MetadataValue::Numbers(VT_UI2, {rating}));
    }
    const SHORT label = info.xmpGroup[kXmpLabel];
    if (label != kAbsent) {
        BSTR text = info.hostStringB8;
        if (text && SysStringLen(text) > 0) {
            sets.emplace_back("/xmp/xmp:Label", MetadataValue::WideText(Wide(text)));
        } else if (label > 0 && static_cast<std::size_t>(label) < kLabelNames.size()) {
            sets.emplace_back("/xmp/xmp:Label", MetadataValue::WideText(pal::ToUtf16(kLabelNames[static_cast<std::size_t>(label)])));
        }
    }
    if (const SHORT urgency = info.xmpGroup[kXmpUrgency]; urgency >= 0)
        sets.emplace_back("/xmp/photoshop:Urgency", MetadataValue::Numbers(VT_I2, {urgency}));
    if (const SHORT percent = info.xmpGroup[kXmpRatingPercent]; percent >= 0) {
        sets.emplace_back("/xmp/MicrosoftPhoto:Rating", MetadataValue::Numbers(VT_UI2, {percent}));
        sets.emplace_back(TagPath(TagIfd::Image, kRatingPercentTag), MetadataValue::Numbers(VT_UI2, {percent}));
    }
    if (const SHORT marked = info.xmpGroup[kXmpMarked]; marked >= 0)
        sets.emplace_back("/xmp/xmpRights:Marked", MetadataValue::WideText(marked ? W("True") : W("False")));
}

std::string IptcPath(std::string_view dataset)
{
    return std::string(kIptcRoot) + "/" + std::string(dataset);
}

// IIM dates and times are digits: CCYYMMDD, HHMMSS±HHMM.
pal::WideString Digits(std::initializer_list<int> fields, int firstWidth)
{
    std::string text;
    int width = firstWidth;
    for (int field : fields) {
        std::string digits = std::to_string(field);
        text += std::string(digits.size() < static_cast<std::size_t>(width) ? width - digits.size() : 0, '0') + digits;
        width = 2;
    }
    return pal::ToUtf16(text);
}

void PlanIptc(const HostImageInfo& info, MetadataPlan& plan)
{
    const HostIptcBlock& block = info.iptc;
    if (IptcBlank(info)) {
        plan.removals.emplace_back(kIptcRoot);
        plan.removals.emplace_back(kUsageTermsPath);
        plan.removals.insert(plan.removals.end(), kIptcElsewhere.begin(), kIptcElsewhere.end());
        return;
    }
    auto& sets = plan.sets;
    for (const IptcText& field : IptcTexts()) {
        BSTR text = block.strings[field.index];
        if (!text || SysStringLen(text) == 0) continue;
        if (field.repeated) {
            sets.emplace_back(IptcPath(field.dataset), MetadataValue::WideTexts(Items(text)));
        } else {
            sets.emplace_back(IptcPath(field.dataset), MetadataValue::WideText(Wide(text)));
        }
    }
    if (BSTR terms = block.strings[kIptcUsageTerms]; terms && SysStringLen(terms) > 0)
        sets.emplace_back(kUsageTermsPath, MetadataValue::WideText(Wide(terms)));
    if (block.header6 >= 0) sets.emplace_back(IptcPath("Urgency"), MetadataValue::Numbers(VT_UI2, {block.header6}));
    if (block.header0 > 0)
        sets.emplace_back(IptcPath("DateCreated"),
                          MetadataValue::WideText(Digits({block.header0 / 10000, block.header0 / 100 % 100,
                                                          block.header0 % 100}, 4)));
    if (const auto time = IptcTimeOf(block)) {
        const int offset = time->offsetMinutes < 0 ? -time->offsetMinutes : time->offsetMinutes;
        pal::WideString text = Digits({time->hours, time->minutes, time->seconds}, 2);
        text += time->offsetMinutes < 0 ? W('-') : W('+');
        text += Digits({offset / 60, offset % 60}, 2);
        sets.emplace_back(IptcPath("TimeCreated"), MetadataValue::WideText(std::move(text)));
    }
}

} // namespace

MetadataPlan PlanMetadataWrite(const HostImageInfo& info, const MetadataGroups& groups)
{
    MetadataPlan plan;
    if (groups.copyright) PlanCopyright(info, plan);
    if (groups.exif) PlanExif(info, plan);
    if (groups.xmp) PlanXmp(info, plan);
    if (groups.gps) PlanGps(info, plan);
    if (groups.iptc) PlanIptc(info, plan);
    return plan;
}

HRESULT ApplyMetadataPlan(IWICMetadataQueryWriter& writer, const MetadataPlan& plan)
{
    for (const std::string& path : plan.removals) {
        // Absent (S_OK or WINCODEC_ERR_PROPERTYNOTFOUND) or refused: the group is as empty as it can be.
        writer.RemoveMetadataByName(pal::ToUtf16(path).c_str());
    }
    HRESULT first = S_OK;
    for (const auto& [path, value] : plan.sets) {
        const PROPVARIANT view = value.View();
        const HRESULT hr = writer.SetMetadataByName(pal::ToUtf16(path).c_str(), &view);
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    }
    return first;
}

} // namespace host::imaging
