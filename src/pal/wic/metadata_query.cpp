#include "pal/wic/metadata_query.h"

#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_query_path.h"
#include "pal/wic/prop_variant_values.h"

#include <charconv>
#include <exiv2/datasets.hpp>
#include <exiv2/error.hpp>
#include <exiv2/properties.hpp>
#include <exiv2/tags.hpp>
#include <exiv2/value.hpp>
#include <limits>
#include <memory>

namespace pal::wic {

namespace {

[[noreturn]] void WrongType()
{
    throw HResultError(E_INVALIDARG);
}

[[noreturn]] void NotFound()
{
    throw HResultError(WINCODEC_ERR_PROPERTYNOTFOUND);
}

// ---- EXIF ------------------------------------------------------------------

std::optional<Exiv2::TypeId> KnownTagType(const ExifTagQuery& query)
{
    for (const Exiv2::TagInfo* info = Exiv2::ExifTags::tagList(query.group); info && info->tag_ != 0xFFFF; ++info)
        if (info->tag_ == query.tag) return info->typeId_;
    return std::nullopt;
}

// The type a tag exiv2 does not know takes from the value written to it.
Exiv2::TypeId NaturalType(const PROPVARIANT& value)
{
    switch (value.vt) {
    case VT_UI1:
        return Exiv2::unsignedByte;
    case VT_I1:
        return Exiv2::signedByte;
    case VT_UI2:
    case VT_VECTOR | VT_UI2:
        return Exiv2::unsignedShort;
    case VT_UI4:
    case VT_VECTOR | VT_UI4:
        return Exiv2::unsignedLong;
    case VT_I2:
    case VT_VECTOR | VT_I2:
        return Exiv2::signedShort;
    case VT_I4:
    case VT_VECTOR | VT_I4:
        return Exiv2::signedLong;
    case VT_LPSTR:
    case VT_LPWSTR:
        return Exiv2::asciiString;
    case VT_UI8:
    case VT_VECTOR | VT_UI8:
        return Exiv2::unsignedRational;
    case VT_I8:
    case VT_VECTOR | VT_I8:
        return Exiv2::signedRational;
    case VT_BLOB:
    case VT_VECTOR | VT_UI1:
        return Exiv2::undefined;
    default:
        WrongType();
    }
}

std::vector<std::int64_t> IntegersIn(const PROPVARIANT& value, std::int64_t min, std::int64_t max)
{
    auto integers = IntegersOf(value);
    if (!integers || integers->empty()) WrongType();
    for (const std::int64_t v : *integers)
        if (v < min || v > max) WrongType();
    return *integers;
}

template <typename ValueClass>
std::unique_ptr<Exiv2::Value> IntegerValue(const PROPVARIANT& value, std::int64_t min, std::int64_t max)
{
    auto result = std::make_unique<ValueClass>();
    for (const std::int64_t v : IntegersIn(value, min, max))
        result->value_.push_back(static_cast<typename decltype(result->value_)::value_type>(v));
    return result;
}

std::unique_ptr<Exiv2::Value> BytesValue(Exiv2::TypeId type, const std::vector<std::uint8_t>& bytes)
{
    auto result = std::make_unique<Exiv2::DataValue>(type);
    result->read(bytes.data(), static_cast<long>(bytes.size()), Exiv2::invalidByteOrder);
    return result;
}

template <typename ValueClass> std::unique_ptr<Exiv2::Value> RationalValue(const PROPVARIANT& value, bool isSigned)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> pairs;
    if (auto rationals = RationalsOf(value)) {
        pairs = rationals->values;
    } else if (auto integers = IntegersOf(value)) {
        for (const std::int64_t v : *integers)
            pairs.emplace_back(v, 1);
    }
    if (pairs.empty()) WrongType();
    const std::int64_t min = isSigned ? std::numeric_limits<std::int32_t>::min() : 0;
    const std::int64_t max =
        isSigned ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::uint32_t>::max();
    auto result = std::make_unique<ValueClass>();
    for (const auto& [numerator, denominator] : pairs) {
        if (numerator < min || numerator > max || denominator < min || denominator > max) WrongType();
        using Element = typename decltype(result->value_)::value_type;
        result->value_.push_back(Element(static_cast<typename Element::first_type>(numerator),
                                         static_cast<typename Element::second_type>(denominator)));
    }
    return result;
}

std::string SingleText(const PROPVARIANT& value)
{
    auto texts = TextsOf(value);
    if (!texts || texts->size() != 1 || (value.vt & VT_VECTOR) != 0) WrongType();
    return texts->front();
}

std::unique_ptr<Exiv2::Value> ExifValue(Exiv2::TypeId type, const PROPVARIANT& value)
{
    switch (type) {
    case Exiv2::asciiString:
        return std::make_unique<Exiv2::AsciiValue>(SingleText(value));
    case Exiv2::unsignedByte:
    case Exiv2::undefined: {
        if (type == Exiv2::undefined && TextsOf(value)) {
            const std::string text = SingleText(value);
            return BytesValue(type, std::vector<std::uint8_t>(text.begin(), text.end()));
        }
        const auto integers = IntegersIn(value, 0, 255);
        return BytesValue(type, std::vector<std::uint8_t>(integers.begin(), integers.end()));
    }
    case Exiv2::signedByte: {
        const auto integers = IntegersIn(value, -128, 127);
        return BytesValue(type, std::vector<std::uint8_t>(integers.begin(), integers.end()));
    }
    case Exiv2::comment: {
        if (!TextsOf(value)) return ExifValue(Exiv2::undefined, value);
        const std::string text = SingleText(value);
        const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
        return std::make_unique<Exiv2::CommentValue>((ascii ? "charset=Ascii " : "charset=Unicode ") + text);
    }
    case Exiv2::unsignedShort:
        return IntegerValue<Exiv2::UShortValue>(value, 0, 0xFFFF);
    case Exiv2::unsignedLong:
        return IntegerValue<Exiv2::ULongValue>(value, 0, 0xFFFFFFFFll);
    case Exiv2::signedShort:
        return IntegerValue<Exiv2::ShortValue>(value, -32768, 32767);
    case Exiv2::signedLong:
        return IntegerValue<Exiv2::LongValue>(value, std::numeric_limits<std::int32_t>::min(),
                                              std::numeric_limits<std::int32_t>::max());
    case Exiv2::unsignedRational:
        return RationalValue<Exiv2::URationalValue>(value, false);
    case Exiv2::signedRational:
        return RationalValue<Exiv2::RationalValue>(value, true);
    default:
        WrongType();
    }
}

std::vector<std::uint8_t> BytesOf(const Exiv2::Value& value)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(value.size()));
    if (!bytes.empty()) value.copy(bytes.data(), Exiv2::littleEndian);
    return bytes;
}

void ExifToPropVariant(const Exiv2::Value& value, PropVariantOwner& out)
{
    std::vector<std::int64_t> integers;
    for (long i = 0; i < value.count(); ++i)
        integers.push_back(value.toLong(i));
    switch (value.typeId()) {
    case Exiv2::asciiString: {
        std::string text = value.toString();
        while (!text.empty() && text.back() == '\0')
            text.pop_back();
        SetText(out, text, false);
        return;
    }
    case Exiv2::unsignedByte:
    case Exiv2::signedByte:
        return SetIntegers(out, VT_UI1, integers);
    case Exiv2::unsignedShort:
        return SetIntegers(out, VT_UI2, integers);
    case Exiv2::unsignedLong:
        return SetIntegers(out, VT_UI4, integers);
    case Exiv2::signedShort:
        return SetIntegers(out, VT_I2, integers);
    case Exiv2::signedLong:
        return SetIntegers(out, VT_I4, integers);
    case Exiv2::unsignedRational: {
        RationalList list;
        if (const auto* rationals = dynamic_cast<const Exiv2::URationalValue*>(&value)) {
            for (const auto& r : rationals->value_)
                list.values.emplace_back(r.first, r.second);
        }
        if (list.values.empty()) break;
        return SetRationals(out, list);
    }
    case Exiv2::signedRational: {
        RationalList list{true, {}};
        for (long i = 0; i < value.count(); ++i)
            list.values.emplace_back(value.toRational(i).first, value.toRational(i).second);
        if (list.values.empty()) break;
        return SetRationals(out, list);
    }
    default:
        break;
    }
    SetBlob(out, BytesOf(value));
}

Exiv2::ExifKey KeyOf(const ExifTagQuery& query)
{
    return Exiv2::ExifKey(query.tag, query.group);
}

bool InExifSubIfd(const Exiv2::Exifdatum& datum)
{
    const std::string group = datum.groupName();
    return group == "Photo" || group == "Iop" || Exiv2::ExifTags::isMakerGroup(group) ||
           datum.key() == "Exif.Image.ExifTag";
}

bool InGps(const Exiv2::Exifdatum& datum)
{
    return datum.groupName() == "GPSInfo" || datum.key() == "Exif.Image.GPSTag";
}

template <typename Data, typename Predicate> void EraseIf(Data& data, Predicate predicate)
{
    for (auto it = data.begin(); it != data.end();) {
        if (predicate(*it)) {
            it = data.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- XMP -------------------------------------------------------------------

bool IsXmpArray(Exiv2::TypeId type)
{
    return type == Exiv2::xmpBag || type == Exiv2::xmpSeq || type == Exiv2::xmpAlt;
}

std::unique_ptr<Exiv2::Value> XmpValue(const std::string& key, const PROPVARIANT& value)
{
    const Exiv2::TypeId type = Exiv2::XmpProperties::propertyType(Exiv2::XmpKey(key));
    if (auto texts = TextsOf(value)) {
        const bool vector = (value.vt & VT_VECTOR) != 0;
        if (type == Exiv2::langAlt) {
            if (vector) WrongType();
            auto result = std::make_unique<Exiv2::LangAltValue>();
            result->value_["x-default"] = texts->front();
            return result;
        }
        if (IsXmpArray(type) || vector) {
            auto result = std::make_unique<Exiv2::XmpArrayValue>(IsXmpArray(type) ? type : Exiv2::xmpBag);
            for (const std::string& text : *texts)
                result->read(text);
            return result;
        }
        return std::make_unique<Exiv2::XmpTextValue>(texts->front());
    }
    if (auto integers = IntegersOf(value);
        integers && integers->size() == 1 && (value.vt & VT_VECTOR) == 0 && value.vt != VT_BLOB) {
        return std::make_unique<Exiv2::XmpTextValue>(std::to_string(integers->front()));
    }
    WrongType();
}

void XmpToPropVariant(const Exiv2::Xmpdatum& datum, PropVariantOwner& out)
{
    const Exiv2::Value& value = datum.value();
    if (const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&value)) {
        const auto found = alternatives->value_.find("x-default");
        if (found != alternatives->value_.end()) return SetText(out, found->second, true);
        if (alternatives->value_.empty()) NotFound();
        return SetText(out, alternatives->value_.begin()->second, true);
    }
    if (IsXmpArray(value.typeId())) {
        std::vector<std::string> texts;
        for (long i = 0; i < value.count(); ++i)
            texts.push_back(value.toString(i));
        return SetTexts(out, texts);
    }
    SetText(out, value.toString(), true);
}

// ---- IPTC ------------------------------------------------------------------

bool IsRepeatable(const Exiv2::IptcKey& key)
{
    return Exiv2::IptcDataSets::dataSetRepeatable(key.tag(), key.record());
}

std::vector<std::string> IptcTexts(const PROPVARIANT& value)
{
    if (auto texts = TextsOf(value)) {
        if (texts->empty()) WrongType();
        return *texts;
    }
    if (auto integers = IntegersOf(value); integers && (value.vt == VT_UI2 || value.vt == VT_I2 || value.vt == VT_UI4 ||
                                                        value.vt == VT_I4 || value.vt == VT_UI1)) {
        return {std::to_string(integers->front())};
    }
    WrongType();
}

void IptcToPropVariant(const Exiv2::IptcData& data, const Exiv2::IptcKey& key, PropVariantOwner& out)
{
    std::vector<std::string> texts;
    std::vector<std::int64_t> numbers;
    bool numeric = false;
    for (const Exiv2::Iptcdatum& datum : data) {
        if (datum.tag() != key.tag() || datum.record() != key.record()) continue;
        numeric = datum.typeId() == Exiv2::unsignedShort;
        texts.push_back(datum.toString());
        numbers.push_back(datum.toLong());
    }
    if (texts.empty()) NotFound();
    if (numeric) return SetIntegers(out, VT_UI2, {numbers.front()});
    if (IsRepeatable(key)) return SetTexts(out, texts);
    SetText(out, texts.front(), true);
}

// exiv2 refuses some values only when they are taken in; that is the value's fault.
template <typename Body> void RefusingExiv2Errors(Body body)
{
    try {
        body();
    } catch (const Exiv2::AnyError&) {
        throw HResultError(E_INVALIDARG);
    }
}

template <typename... Cases> struct Overloaded : Cases... {
    using Cases::operator()...;
};
template <typename... Cases> Overloaded(Cases...) -> Overloaded<Cases...>;

} // namespace

void GetMetadata(MetadataBlocks& blocks, LPCWSTR path, PROPVARIANT* value)
{
    const MetadataQuery query = ParseMetadataQuery(path);
    PropVariantOwner out;
    RefusingExiv2Errors([&] {
        std::visit(
            Overloaded{
                [&](const ExifTagQuery& tag) {
                    const Exiv2::ExifData& exif = blocks.Exif();
                    const auto found = exif.findKey(KeyOf(tag));
                    if (found == exif.end()) NotFound();
                    ExifToPropVariant(found->value(), out);
                },
                [&](const XmpQuery& property) {
                    const Exiv2::XmpData& xmp = blocks.Xmp();
                    const auto found = xmp.findKey(Exiv2::XmpKey(property.key));
                    if (found == xmp.end()) NotFound();
                    XmpToPropVariant(*found, out);
                },
                [&](const IptcQuery& dataset) { IptcToPropVariant(blocks.Iptc(), Exiv2::IptcKey(dataset.key), out); },
                // Subtrees are named only to be removed.
                [](MetadataSubtree) { throw HResultError(WINCODEC_ERR_INVALIDQUERYREQUEST); },
            },
            query);
    });
    out.DetachTo(value);
}

void SetMetadata(MetadataBlocks& blocks, LPCWSTR path, const PROPVARIANT& value)
{
    const MetadataQuery query = ParseMetadataQuery(path);
    RefusingExiv2Errors([&] {
        std::visit(Overloaded{
                       [&](const ExifTagQuery& tag) {
                           const auto converted = ExifValue(KnownTagType(tag).value_or(NaturalType(value)), value);
                           Exiv2::ExifData& exif = blocks.EditExif();
                           const Exiv2::ExifKey key = KeyOf(tag);
                           EraseIf(exif, [&](const Exiv2::Exifdatum& datum) { return datum.key() == key.key(); });
                           exif.add(key, converted.get());
                       },
                       [&](const XmpQuery& property) {
                           const auto converted = XmpValue(property.key, value);
                           Exiv2::XmpData& xmp = blocks.EditXmp();
                           EraseIf(xmp, [&](const Exiv2::Xmpdatum& datum) { return datum.key() == property.key; });
                           xmp.add(Exiv2::XmpKey(property.key), converted.get());
                       },
                       [&](const IptcQuery& dataset) {
                           const Exiv2::IptcKey key(dataset.key);
                           std::vector<Exiv2::Iptcdatum> data;
                           for (const std::string& text : IptcTexts(value)) {
                               Exiv2::Iptcdatum datum(key);
                               if (datum.setValue(text) != 0) WrongType();
                               data.push_back(datum);
                           }
                           if (data.size() > 1 && !IsRepeatable(key)) WrongType();
                           Exiv2::IptcData& iptc = blocks.EditIptc();
                           EraseIf(iptc, [&](const Exiv2::Iptcdatum& datum) { return datum.key() == dataset.key; });
                           for (const Exiv2::Iptcdatum& datum : data)
                               iptc.add(datum);
                       },
                       [](MetadataSubtree) { throw HResultError(WINCODEC_ERR_INVALIDQUERYREQUEST); },
                   },
                   query);
    });
}

void RemoveMetadata(MetadataBlocks& blocks, LPCWSTR path)
{
    const MetadataQuery query = ParseMetadataQuery(path);
    RefusingExiv2Errors([&] {
        std::visit(Overloaded{
                       [&](const ExifTagQuery& tag) {
                           const Exiv2::ExifKey key = KeyOf(tag);
                           if (blocks.Exif().findKey(key) == blocks.Exif().end()) return;
                           EraseIf(blocks.EditExif(),
                                   [&](const Exiv2::Exifdatum& datum) { return datum.key() == key.key(); });
                       },
                       [&](const XmpQuery& property) {
                           if (blocks.Xmp().findKey(Exiv2::XmpKey(property.key)) == blocks.Xmp().end()) return;
                           EraseIf(blocks.EditXmp(),
                                   [&](const Exiv2::Xmpdatum& datum) { return datum.key() == property.key; });
                       },
                       [&](const IptcQuery& dataset) {
                           EraseIf(blocks.EditIptc(),
                                   [&](const Exiv2::Iptcdatum& datum) { return datum.key() == dataset.key; });
                       },
                       [&](MetadataSubtree subtree) {
                           switch (subtree) {
                           case MetadataSubtree::AllExif:
                               blocks.RemoveExif();
                               break;
                           case MetadataSubtree::ExifSubIfd:
                               EraseIf(blocks.EditExif(), InExifSubIfd);
                               break;
                           case MetadataSubtree::Gps:
                               EraseIf(blocks.EditExif(), InGps);
                               break;
                           case MetadataSubtree::Xmp:
                               blocks.RemoveXmp();
                               break;
                           case MetadataSubtree::Iptc:
                               blocks.EditIptc().clear();
                               break;
                           case MetadataSubtree::App13:
                               blocks.RemoveApp13();
                               break;
                           }
                       },
                   },
                   query);
    });
}

} // namespace pal::wic
