#include "host/imaging/metadata_reader.h"

#include "host/imaging/exiv2_support.h"
#include "host/imaging/record_layout.h"
#include "host/imaging/tag_list.h"
#include "pal/bstr.h"
#include "pal/hresult_error.h"
#include "pal/utf.h"

#include <algorithm>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace host {

namespace {

using imaging::TagEntry;
using imaging::TagIfd;
using imaging::TagType;

void Store(BSTR& slot, const std::string& utf8)
{
    pal::Bstr text(pal::ToUtf16(imaging::AsUtf8(utf8)));
    SysFreeString(slot);
    slot = text.Detach();
}

std::optional<std::string> NonEmpty(std::string text)
{
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.pop_back();
    if (text.empty()) return std::nullopt;
    return text;
}

std::optional<std::string> ExifText(const Exiv2::ExifData& exif, const char* key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end()) return std::nullopt;
    // A user comment's value says its type is undefined; only its class tells.
    if (const auto* comment = dynamic_cast<const Exiv2::CommentValue*>(&it->value()))
        return NonEmpty(comment->comment());
    return NonEmpty(it->toString());
}

// Language alternatives answer their x-default (or first) text; arrays their items joined.
std::optional<std::string> XmpText(const Exiv2::XmpData& xmp, const char* key)
{
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it == xmp.end()) return std::nullopt;
    if (const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&it->value())) {
        const auto preferred = alternatives->value_.find("x-default");
        if (preferred != alternatives->value_.end()) return NonEmpty(preferred->second);
        return alternatives->value_.empty() ? std::nullopt : NonEmpty(alternatives->value_.begin()->second);
    }
    if (const auto* array = dynamic_cast<const Exiv2::XmpArrayValue*>(&it->value())) {
        std::string joined;
        for (long i = 0; i < array->count(); ++i) joined += (i ? "; " : "") + array->toString(i);
        return NonEmpty(joined);
    }
    return NonEmpty(it->toString());
}

std::optional<long> XmpNumber(const Exiv2::XmpData& xmp, const char* key)
{
    const auto text = XmpText(xmp, key);
    if (!text) return std::nullopt;
    try {
        return std::stol(*text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<long> ExifNumber(const Exiv2::ExifData& exif, const char* key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() == 0) return std::nullopt;
    return it->toLong(0);
}

template <typename Read> std::optional<std::string> FirstOf(std::initializer_list<Read> readers)
{
    for (const Read& read : readers)
        if (auto text = read()) return text;
    return std::nullopt;
}

void ReadCopyright(const Exiv2::ExifData& exif, const Exiv2::XmpData& xmp, HostImageInfo& info)
{
    using Reader = std::function<std::optional<std::string>()>;
    const auto exifText = [&](const char* key) { return Reader([&exif, key] { return ExifText(exif, key); }); };
    const auto xmpText = [&](const char* key) { return Reader([&xmp, key] { return XmpText(xmp, key); }); };
    const std::optional<std::string> texts[4] = {
        FirstOf({exifText("Exif.Image.Artist"), xmpText("Xmp.dc.creator")}),
        FirstOf({exifText("Exif.Image.Copyright"), xmpText("Xmp.dc.rights")}),
        FirstOf({exifText("Exif.Photo.UserComment"), xmpText("Xmp.exif.UserComment"), xmpText("Xmp.dc.description"),
                 exifText("Exif.Image.ImageDescription")}),
        FirstOf({exifText("Exif.Image.Software"), xmpText("Xmp.xmp.CreatorTool")}),
    };
    for (int i = 0; i < 4; ++i)
        if (texts[i]) Store(info.copyrightGroup[i], *texts[i]);
}

std::optional<TagType> TypeOf(Exiv2::TypeId type)
{
    switch (type) {
    case Exiv2::asciiString:
        return TagType::Ascii;
    case Exiv2::unsignedByte:
        return TagType::Byte;
    case Exiv2::unsignedShort:
        return TagType::Short;
    case Exiv2::unsignedLong:
        return TagType::Long;
    case Exiv2::signedShort:
        return TagType::SShort;
    case Exiv2::signedLong:
        return TagType::SLong;
    case Exiv2::unsignedRational:
        return TagType::Rational;
    case Exiv2::signedRational:
        return TagType::SRational;
    case Exiv2::undefined:
        return TagType::Undefined;
    default:
        return std::nullopt; // floats and the like: no camera tag of the groups uses them
    }
}

std::optional<TagEntry> EntryOf(const Exiv2::Exifdatum& datum, TagIfd ifd)
{
    const std::optional<TagType> type = TypeOf(datum.typeId());
    if (!type || datum.count() == 0) return std::nullopt;
    TagEntry entry{ifd, datum.tag(), *type, {}, {}, {}};
    if (*type == TagType::Ascii) {
        auto text = NonEmpty(datum.toString());
        if (!text) return std::nullopt;
        entry.text = imaging::AsUtf8(*text);
        return entry;
    }
    for (long i = 0; i < datum.count(); ++i) {
        if (*type == TagType::Rational || *type == TagType::SRational) {
            const Exiv2::Rational r = datum.toRational(i);
            // exiv2 answers both kinds as signed pairs.
            entry.rationals.push_back(*type == TagType::Rational
                                          ? imaging::Rational{static_cast<std::uint32_t>(r.first),
                                                              static_cast<std::uint32_t>(r.second)}
                                          : imaging::Rational{r.first, r.second});
        } else {
            entry.integers.push_back(datum.toLong(i));
        }
    }
    return entry;
}

std::optional<TagIfd> IfdOf(const Exiv2::Exifdatum& datum)
{
    const std::string group = datum.groupName();
    if (group == "Image") return TagIfd::Image;
    if (group == "Photo") return TagIfd::Exif;
    if (group == "GPSInfo") return TagIfd::Gps;
    return std::nullopt;
}

void ReadExifAndGps(const Exiv2::ExifData& exif, HostImageInfo& info)
{
    std::vector<TagEntry> camera;
    std::vector<TagEntry> gps;
    for (const Exiv2::Exifdatum& datum : exif) {
        const std::optional<TagIfd> ifd = IfdOf(datum);
        if (!ifd) continue;
        const bool isGps = *ifd == TagIfd::Gps;
        if (!isGps && !imaging::IsExifGroupTag(*ifd, datum.tag())) continue;
        if (auto entry = EntryOf(datum, *ifd)) (isGps ? gps : camera).push_back(std::move(*entry));
    }
    if (!camera.empty()) {
        Store(imaging::ExifTagListSlot(info), imaging::EncodeTagList(camera));
        imaging::SetExifTagCount(info, static_cast<std::uint32_t>(camera.size()));
    }
    if (!gps.empty()) {
        Store(imaging::GpsTagListSlot(info), imaging::EncodeTagList(gps));
        info.gpsGroup = static_cast<SHORT>(std::min<std::size_t>(gps.size(), 0x7FFF));
    }
}

SHORT Clamped(long value, long low, long high)
{
    return static_cast<SHORT>(std::clamp(value, low, high));
}

void ReadXmpGroup(const Exiv2::ExifData& exif, const Exiv2::XmpData& xmp, HostImageInfo& info)
{
    std::optional<long> rating = XmpNumber(xmp, "Xmp.xmp.Rating");
    if (!rating) rating = ExifNumber(exif, "Exif.Image.Rating");
    if (rating) info.xmpGroup[imaging::kXmpRating] = *rating < 0 ? imaging::kRatingRejected : Clamped(*rating, 0, 5);
    if (const auto label = XmpText(xmp, "Xmp.xmp.Label")) {
        const auto known = std::find(imaging::kLabelNames.begin() + 1, imaging::kLabelNames.end(), *label);
        info.xmpGroup[imaging::kXmpLabel] = known == imaging::kLabelNames.end()
                                                ? imaging::kLabelOther
                                                : static_cast<SHORT>(known - imaging::kLabelNames.begin());
        Store(imaging::XmpLabelSlot(info), *label);
    }
    if (const auto urgency = XmpNumber(xmp, "Xmp.photoshop.Urgency"))
        info.xmpGroup[imaging::kXmpUrgency] = Clamped(*urgency, 0, 9);
    std::optional<long> percent = XmpNumber(xmp, "Xmp.MicrosoftPhoto.Rating");
    if (!percent) percent = ExifNumber(exif, "Exif.Image.RatingPercent");
    if (percent) info.xmpGroup[imaging::kXmpRatingPercent] = Clamped(*percent, 0, 100);
    if (const auto marked = XmpText(xmp, "Xmp.xmpRights.Marked"))
        info.xmpGroup[imaging::kXmpMarked] = (*marked == "True" || *marked == "true") ? 1 : 0;
}

void ReadIptcHeader(const Exiv2::IptcData& iptc, HostIptcBlock& block)
{
    const auto find = [&](const char* key) { return iptc.findKey(Exiv2::IptcKey(key)); };
    // Urgency is a one-digit text; its numeric view would be the digit's code.
    if (const auto it = find("Iptc.Application2.Urgency"); it != iptc.end()) {
        const std::string digit = it->toString();
        if (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') block.header6 = static_cast<SHORT>(digit[0] - '0');
    }
    if (const auto it = find("Iptc.Application2.DateCreated"); it != iptc.end()) {
        if (const auto* date = dynamic_cast<const Exiv2::DateValue*>(&it->value())) {
            const Exiv2::DateValue::Date& d = date->getDate();
            if (d.year > 0) block.header0 = d.year * 10000 + d.month * 100 + d.day;
        }
    }
    if (const auto it = find("Iptc.Application2.TimeCreated"); it != iptc.end()) {
        if (const auto* time = dynamic_cast<const Exiv2::TimeValue*>(&it->value())) {
            const Exiv2::TimeValue::Time& t = time->getTime();
            imaging::SetIptcTime(block, {t.hour, t.minute, t.second, t.tzHour * 60 + t.tzMinute});
        }
    }
}

void ReadIptc(const Exiv2::IptcData& iptc, const Exiv2::XmpData& xmp, HostIptcBlock& block)
{
    for (const imaging::IptcText& field : imaging::IptcTexts()) {
        const std::string key = "Iptc.Application2." + std::string(field.dataset);
        std::string joined;
        int count = 0;
        for (const Exiv2::Iptcdatum& datum : iptc) {
            if (datum.key() != key) continue;
            if (count++) joined += imaging::kRepeatSeparator;
            joined += datum.toString();
            if (!field.repeated) break;
        }
        if (count == 0) continue;
        Store(block.strings[field.index], joined);
        if (field.dataset == "Keywords") block.header4 = static_cast<SHORT>(std::min(count, 0x7FFF));
    }
    if (const auto terms = XmpText(xmp, "Xmp.xmpRights.UsageTerms")) Store(block.strings[imaging::kIptcUsageTerms], *terms);
    ReadIptcHeader(iptc, block);
}

} // namespace

void ReadImageMetadata(const std::filesystem::path& path, HostImageInfo& info)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw pal::HResultError(HRESULT_FROM_WIN32(std::filesystem::exists(path, error) ? ERROR_ACCESS_DENIED
                                                                                     : ERROR_FILE_NOT_FOUND));
    std::fill(std::begin(info.xmpGroup), std::end(info.xmpGroup), imaging::kAbsent);
    imaging::EnsureExiv2();
    Exiv2::Image::AutoPtr image;
    try {
        image = Exiv2::ImageFactory::open(path.string());
        image->readMetadata();
        ReadCopyright(image->exifData(), image->xmpData(), info);
        ReadExifAndGps(image->exifData(), info);
        ReadXmpGroup(image->exifData(), image->xmpData(), info);
        ReadIptc(image->iptcData(), image->xmpData(), info.iptc);
    } catch (const Exiv2::AnyError&) {
        // Not a kind exiv2 reads, or metadata it cannot make sense of: the
        // groups read so far are kept, the rest stay blank.
    }
}

} // namespace host
