#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_values.h"

#include <exiv2/datasets.hpp>

namespace pal::wic {

namespace {

[[noreturn]] void WrongType()
{
    throw HResultError(E_INVALIDARG);
}

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

} // namespace

std::vector<Exiv2::Iptcdatum> IptcDataFor(const Exiv2::IptcKey& key, const PROPVARIANT& value)
{
    std::vector<Exiv2::Iptcdatum> data;
    for (const std::string& text : IptcTexts(value)) {
        Exiv2::Iptcdatum datum(key);
        if (datum.setValue(text) != 0) WrongType();
        data.push_back(datum);
    }
    if (data.size() > 1 && !IsRepeatable(key)) WrongType();
    return data;
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
    if (texts.empty()) throw HResultError(WINCODEC_ERR_PROPERTYNOTFOUND);
    if (numeric) return SetIntegers(out, VT_UI2, {numbers.front()});
    if (IsRepeatable(key)) return SetTexts(out, texts);
    SetText(out, texts.front(), true);
}

} // namespace pal::wic
