#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_values.h"

#include <exiv2/properties.hpp>
#include <exiv2/value.hpp>

namespace pal::wic {

namespace {

[[noreturn]] void WrongType()
{
    throw HResultError(E_INVALIDARG);
}

bool IsXmpArray(Exiv2::TypeId type)
{
    return type == Exiv2::xmpBag || type == Exiv2::xmpSeq || type == Exiv2::xmpAlt;
}

} // namespace

std::unique_ptr<Exiv2::Value> XmpValueFor(const std::string& key, const PROPVARIANT& value)
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
        if (alternatives->value_.empty()) throw HResultError(WINCODEC_ERR_PROPERTYNOTFOUND);
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

} // namespace pal::wic
