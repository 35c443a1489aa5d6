#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_values.h"

#include <exiv2/datasets.hpp>

#include <algorithm>
#include <string_view>

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

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Dates and times come in the record's own forms too (CCYYMMDD, HHMMSS with
// an optional +HHMM), which exiv2 reads only with separators.
std::string ExtendedForm(const Exiv2::IptcKey& key, const std::string& text)
{
    const Exiv2::TypeId type = Exiv2::IptcDataSets::dataSetType(key.tag(), key.record());
    if (type == Exiv2::date && text.size() == 8 && AllDigits(text))
        return text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
    if (type == Exiv2::time && (text.size() == 6 || text.size() == 11) && AllDigits(std::string_view(text).substr(0, 6))) {
        std::string zone = "+00:00";
        if (text.size() == 11) {
            if ((text[6] != '+' && text[6] != '-') || !AllDigits(std::string_view(text).substr(7))) return text;
            zone = text.substr(6, 3) + ":" + text.substr(9, 2);
        }
        return text.substr(0, 2) + ":" + text.substr(2, 2) + ":" + text.substr(4, 2) + zone;
    }
    return text;
}

} // namespace

std::vector<Exiv2::Iptcdatum> IptcDataFor(const Exiv2::IptcKey& key, const PROPVARIANT& value)
{
    std::vector<Exiv2::Iptcdatum> data;
    for (const std::string& text : IptcTexts(value)) {
        Exiv2::Iptcdatum datum(key);
        if (datum.setValue(ExtendedForm(key, text)) != 0) WrongType();
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
