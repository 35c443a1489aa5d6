#include "host/imaging/metadata_value.h"

#include <cstring>

namespace host::imaging {

namespace {

std::size_t ElementSize(VARTYPE vt)
{
    switch (vt & ~VT_VECTOR) {
    case VT_UI1:
        return 1;
    case VT_UI2:
    case VT_I2:
        return 2;
    case VT_UI4:
    case VT_I4:
        return 4;
    default:
        return 8;
    }
}

} // namespace

MetadataValue MetadataValue::Text(std::string utf8)
{
    MetadataValue value;
    value.vt_ = VT_LPSTR;
    value.narrow_ = std::move(utf8);
    return value;
}

MetadataValue MetadataValue::WideText(pal::WideString text)
{
    MetadataValue value;
    value.vt_ = VT_LPWSTR;
    value.wide_.push_back(std::move(text));
    return value;
}

MetadataValue MetadataValue::WideTexts(std::vector<pal::WideString> texts)
{
    MetadataValue value;
    value.vt_ = VT_VECTOR | VT_LPWSTR;
    value.wide_ = std::move(texts);
    return value;
}

MetadataValue MetadataValue::Numbers(VARTYPE vt, std::vector<std::int64_t> numbers)
{
    MetadataValue value;
    value.vt_ = numbers.size() == 1 ? vt : static_cast<VARTYPE>(VT_VECTOR | vt);
    for (std::int64_t number : numbers) value.words_.push_back(static_cast<std::uint64_t>(number));
    return value;
}

MetadataValue MetadataValue::Rationals(bool isSigned, std::vector<std::pair<std::int64_t, std::int64_t>> rationals)
{
    MetadataValue value;
    const VARTYPE element = isSigned ? VT_I8 : VT_UI8;
    value.vt_ = rationals.size() == 1 ? element : static_cast<VARTYPE>(VT_VECTOR | element);
    for (const auto& [numerator, denominator] : rationals)
        value.words_.push_back((static_cast<std::uint64_t>(static_cast<std::uint32_t>(denominator)) << 32) |
                               static_cast<std::uint32_t>(numerator));
    return value;
}

MetadataValue MetadataValue::Blob(std::vector<std::uint8_t> bytes)
{
    MetadataValue value;
    value.vt_ = VT_BLOB;
    value.words_.assign(bytes.begin(), bytes.end());
    return value;
}

PROPVARIANT MetadataValue::View() const
{
    PROPVARIANT view{};
    view.vt = vt_;
    if (vt_ == VT_LPSTR) {
        view.pszVal = const_cast<char*>(narrow_.c_str());
        return view;
    }
    if (vt_ == VT_LPWSTR) {
        view.pwszVal = const_cast<WCHAR*>(wide_.front().c_str());
        return view;
    }
    if (vt_ == (VT_VECTOR | VT_LPWSTR)) {
        widePointers_.clear();
        for (const pal::WideString& text : wide_) widePointers_.push_back(const_cast<WCHAR*>(text.c_str()));
        view.calpwstr = {static_cast<ULONG>(widePointers_.size()), widePointers_.data()};
        return view;
    }
    // Numbers, rationals and bytes: laid out as the element type, little-endian as the host is.
    const std::size_t size = vt_ == VT_BLOB ? 1 : ElementSize(vt_);
    packed_.assign(words_.size() * size, 0);
    for (std::size_t i = 0; i < words_.size(); ++i) std::memcpy(packed_.data() + i * size, &words_[i], size);
    const auto count = static_cast<ULONG>(words_.size());
    if (vt_ == VT_BLOB) {
        view.blob = {count, packed_.data()};
    } else if (vt_ & VT_VECTOR) {
        // Every counted array of the union has the same shape; caub stands for them all.
        view.caub = {count, packed_.data()};
    } else {
        std::memcpy(&view.uhVal, packed_.data(), size);
    }
    return view;
}

} // namespace host::imaging
