#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_values.h"

#include <algorithm>
#include <exiv2/tags.hpp>
#include <exiv2/value.hpp>
#include <limits>

namespace pal::wic {

namespace {

[[noreturn]] void WrongType()
{
    throw HResultError(E_INVALIDARG);
}

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

} // namespace

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

std::unique_ptr<Exiv2::Value> ExifValueFor(const ExifTagQuery& tag, const PROPVARIANT& value)
{
    return ExifValue(KnownTagType(tag).value_or(NaturalType(value)), value);
}

} // namespace pal::wic
