#include "pal/wic/prop_variant_values.h"

#include "pal/com/stream.h"
#include "pal/utf.h"

#include <cstring>
#include <new>

namespace pal::wic {

namespace {

template <typename T> T* TaskArray(std::size_t count)
{
    auto* array = static_cast<T*>(CoTaskMemAlloc(sizeof(T) * (count != 0 ? count : 1)));
    if (!array) throw std::bad_alloc();
    return array;
}

template <typename Element, typename Read>
std::vector<std::int64_t> Elements(ULONG count, const Element* elements, Read read)
{
    std::vector<std::int64_t> values;
    values.reserve(count);
    for (ULONG i = 0; i < count; ++i)
        values.push_back(read(elements[i]));
    return values;
}

std::int64_t Identity(std::int64_t v)
{
    return v;
}

LPSTR CopyUtf8(const std::string& text)
{
    auto* copy = TaskArray<char>(text.size() + 1);
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

LPWSTR CopyWide(const std::string& text)
{
    const WideString wide = ToUtf16(text);
    auto* copy = TaskArray<WCHAR>(wide.size() + 1);
    std::memcpy(copy, wide.c_str(), sizeof(WCHAR) * (wide.size() + 1));
    return copy;
}

} // namespace

std::optional<std::vector<std::string>> TextsOf(const PROPVARIANT& value)
{
    switch (value.vt) {
    case VT_LPSTR:
        return std::vector<std::string>{value.pszVal ? value.pszVal : ""};
    case VT_LPWSTR:
        return std::vector<std::string>{ToUtf8(value.pwszVal ? WideView(value.pwszVal) : WideView())};
    case VT_VECTOR | VT_LPSTR: {
        std::vector<std::string> texts;
        for (ULONG i = 0; i < value.calpstr.cElems; ++i)
            texts.emplace_back(value.calpstr.pElems[i] ? value.calpstr.pElems[i] : "");
        return texts;
    }
    case VT_VECTOR | VT_LPWSTR: {
        std::vector<std::string> texts;
        for (ULONG i = 0; i < value.calpwstr.cElems; ++i)
            texts.push_back(ToUtf8(value.calpwstr.pElems[i] ? WideView(value.calpwstr.pElems[i]) : WideView()));
        return texts;
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<std::int64_t>> IntegersOf(const PROPVARIANT& value)
{
    switch (value.vt) {
    case VT_UI1:
        return std::vector<std::int64_t>{value.bVal};
    case VT_I1:
        return std::vector<std::int64_t>{value.cVal};
    case VT_UI2:
        return std::vector<std::int64_t>{value.uiVal};
    case VT_I2:
        return std::vector<std::int64_t>{value.iVal};
    case VT_UI4:
        return std::vector<std::int64_t>{value.ulVal};
    case VT_I4:
        return std::vector<std::int64_t>{value.lVal};
    case VT_BLOB:
        return Elements(value.blob.cbSize, value.blob.pBlobData, Identity);
    case VT_VECTOR | VT_UI1:
        return Elements(value.caub.cElems, value.caub.pElems, Identity);
    case VT_VECTOR | VT_UI2:
        return Elements(value.caui.cElems, value.caui.pElems, Identity);
    case VT_VECTOR | VT_I2:
        return Elements(value.cai.cElems, value.cai.pElems, Identity);
    case VT_VECTOR | VT_UI4:
        return Elements(value.caul.cElems, value.caul.pElems, Identity);
    case VT_VECTOR | VT_I4:
        return Elements(value.cal.cElems, value.cal.pElems, Identity);
    default:
        return std::nullopt;
    }
}

std::optional<RationalList> RationalsOf(const PROPVARIANT& value)
{
    RationalList list;
    const auto unsignedPair = [](ULONGLONG v) {
        return std::pair<std::int64_t, std::int64_t>(static_cast<std::uint32_t>(v),
                                                     static_cast<std::uint32_t>(v >> 32));
    };
    const auto signedPair = [](LONGLONG v) {
        const auto bits = static_cast<ULONGLONG>(v);
        return std::pair<std::int64_t, std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)),
                                                     static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32)));
    };
    switch (value.vt) {
    case VT_UI8:
        list.values.push_back(unsignedPair(value.uhVal.QuadPart));
        return list;
    case VT_I8:
        list.isSigned = true;
        list.values.push_back(signedPair(value.hVal.QuadPart));
        return list;
    case VT_VECTOR | VT_UI8:
        for (ULONG i = 0; i < value.cauh.cElems; ++i)
            list.values.push_back(unsignedPair(value.cauh.pElems[i].QuadPart));
        return list;
    case VT_VECTOR | VT_I8:
        list.isSigned = true;
        for (ULONG i = 0; i < value.cah.cElems; ++i)
            list.values.push_back(signedPair(value.cah.pElems[i].QuadPart));
        return list;
    default:
        return std::nullopt;
    }
}

void SetText(PropVariantOwner& out, const std::string& utf8, bool wide)
{
    PropVariantClear(&out.Get());
    if (wide) {
        out->pwszVal = CopyWide(utf8);
        out->vt = VT_LPWSTR;
    } else {
        out->pszVal = CopyUtf8(utf8);
        out->vt = VT_LPSTR;
    }
}

void SetTexts(PropVariantOwner& out, const std::vector<std::string>& utf8)
{
    PropVariantClear(&out.Get());
    out->calpwstr.pElems = TaskArray<LPWSTR>(utf8.size());
    out->calpwstr.cElems = 0;
    out->vt = VT_VECTOR | VT_LPWSTR; // from here on a clear frees what was copied
    for (const std::string& text : utf8)
        out->calpwstr.pElems[out->calpwstr.cElems++] = CopyWide(text);
}

void SetBlob(PropVariantOwner& out, const std::vector<std::uint8_t>& bytes)
{
    PropVariantClear(&out.Get());
    out->blob.pBlobData = TaskArray<BYTE>(bytes.size());
    if (!bytes.empty()) std::memcpy(out->blob.pBlobData, bytes.data(), bytes.size());
    out->blob.cbSize = static_cast<ULONG>(bytes.size());
    out->vt = VT_BLOB;
}

void SetIntegers(PropVariantOwner& out, VARTYPE type, const std::vector<std::int64_t>& values)
{
    PropVariantClear(&out.Get());
    if (values.size() == 1) {
        switch (type) {
        case VT_UI1:
            out->bVal = static_cast<UCHAR>(values[0]);
            break;
        case VT_UI2:
            out->uiVal = static_cast<USHORT>(values[0]);
            break;
        case VT_UI4:
            out->ulVal = static_cast<ULONG>(values[0]);
            break;
        case VT_I2:
            out->iVal = static_cast<SHORT>(values[0]);
            break;
        default:
            out->lVal = static_cast<LONG>(values[0]);
            type = VT_I4;
            break;
        }
        out->vt = type;
        return;
    }
    const auto fill = [&](auto& array) {
        using Element = std::remove_pointer_t<decltype(array.pElems)>;
        array.pElems = TaskArray<Element>(values.size());
        array.cElems = static_cast<ULONG>(values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            array.pElems[i] = static_cast<Element>(values[i]);
    };
    switch (type) {
    case VT_UI1:
        fill(out->caub);
        break;
    case VT_UI2:
        fill(out->caui);
        break;
    case VT_UI4:
        fill(out->caul);
        break;
    case VT_I2:
        fill(out->cai);
        break;
    default:
        fill(out->cal);
        type = VT_I4;
        break;
    }
    out->vt = static_cast<VARTYPE>(VT_VECTOR | type);
}

void SetRationals(PropVariantOwner& out, const RationalList& rationals)
{
    PropVariantClear(&out.Get());
    const auto pack = [](const std::pair<std::int64_t, std::int64_t>& r) {
        return static_cast<ULONGLONG>(static_cast<std::uint32_t>(r.first)) |
               static_cast<ULONGLONG>(static_cast<std::uint32_t>(r.second)) << 32;
    };
    if (rationals.values.size() == 1) {
        if (rationals.isSigned) {
            out->hVal.QuadPart = static_cast<LONGLONG>(pack(rationals.values[0]));
            out->vt = VT_I8;
        } else {
            out->uhVal.QuadPart = pack(rationals.values[0]);
            out->vt = VT_UI8;
        }
        return;
    }
    if (rationals.isSigned) {
        out->cah.pElems = TaskArray<LARGE_INTEGER>(rationals.values.size());
        out->cah.cElems = static_cast<ULONG>(rationals.values.size());
        for (std::size_t i = 0; i < rationals.values.size(); ++i)
            out->cah.pElems[i].QuadPart = static_cast<LONGLONG>(pack(rationals.values[i]));
        out->vt = VT_VECTOR | VT_I8;
    } else {
        out->cauh.pElems = TaskArray<ULARGE_INTEGER>(rationals.values.size());
        out->cauh.cElems = static_cast<ULONG>(rationals.values.size());
        for (std::size_t i = 0; i < rationals.values.size(); ++i)
            out->cauh.pElems[i].QuadPart = pack(rationals.values[i]);
        out->vt = VT_VECTOR | VT_UI8;
    }
}

} // namespace pal::wic
