#include "pal/wic/metadata_query_path.h"

#include "pal/hresult_error.h"
#include "pal/utf.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_blocks.h"

#include <algorithm>
#include <charconv>
#include <exiv2/datasets.hpp>
#include <exiv2/error.hpp>
#include <exiv2/properties.hpp>
#include <string_view>

namespace pal::wic {

namespace {

[[noreturn]] void Invalid()
{
    throw HResultError(WINCODEC_ERR_INVALIDQUERYREQUEST);
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

// Block names are matched without regard to case, as the system does.
bool ConsumePrefix(std::string_view& path, std::string_view prefix)
{
    if (path.size() < prefix.size() || Lower(path.substr(0, prefix.size())) != prefix) return false;
    path.remove_prefix(prefix.size());
    return true;
}

// "{ushort=N}" with N decimal.
std::uint16_t TagNumber(std::string_view item)
{
    std::string_view rest = item;
    if (!ConsumePrefix(rest, "{ushort=") || rest.size() < 2 || rest.back() != '}') Invalid();
    rest.remove_suffix(1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size() || value > 0xFFFF) Invalid();
    return static_cast<std::uint16_t>(value);
}

MetadataQuery ExifQuery(std::string_view rest)
{
    if (rest.empty()) return MetadataSubtree::AllExif;
    if (!ConsumePrefix(rest, "/ifd/")) Invalid();
    if (Lower(rest) == "exif") return MetadataSubtree::ExifSubIfd;
    if (Lower(rest) == "gps") return MetadataSubtree::Gps;
    if (ConsumePrefix(rest, "exif/")) return ExifTagQuery{"Photo", TagNumber(rest)};
    if (ConsumePrefix(rest, "gps/")) return ExifTagQuery{"GPSInfo", TagNumber(rest)};
    return ExifTagQuery{"Image", TagNumber(rest)};
}

MetadataQuery XmpPropertyQuery(std::string_view rest)
{
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == rest.size() ||
        rest.find_first_of("/[]{} ") != std::string_view::npos)
        Invalid();
    const std::string prefix(rest.substr(0, colon));
    const std::string name(rest.substr(colon + 1));
    try {
        if (Exiv2::XmpProperties::ns(prefix).empty()) Invalid();
        return XmpQuery{Exiv2::XmpKey(prefix, name).key()};
    } catch (const Exiv2::AnyError&) {
        Invalid();
    }
}

MetadataQuery IptcDatasetQuery(std::string_view name)
{
    if (name.empty() || name.find('/') != std::string_view::npos) Invalid();
    try {
        const std::string text(name);
        const std::uint16_t number = Exiv2::IptcDataSets::dataSet(text, Exiv2::IptcDataSets::application2);
        // Only exiv2's own names: not the hexadecimal numbers it also takes.
        if (Exiv2::IptcDataSets::dataSetName(number, Exiv2::IptcDataSets::application2) != text) Invalid();
        return IptcQuery{Exiv2::IptcKey(number, Exiv2::IptcDataSets::application2).key()};
    } catch (const Exiv2::AnyError&) {
        Invalid();
    }
}

} // namespace

MetadataQuery ParseMetadataQuery(LPCWSTR path)
{
    if (!path) throw HResultError(E_INVALIDARG);
    EnsureExiv2Ready();
    const std::string text = ToUtf8(path);
    std::string_view rest = text;
    if (ConsumePrefix(rest, "/app13")) {
        if (rest.empty()) return MetadataSubtree::App13;
        if (!ConsumePrefix(rest, "/irb/8bimiptc/iptc")) Invalid();
        if (rest.empty()) return MetadataSubtree::Iptc;
        if (rest.front() != '/') Invalid();
        return IptcDatasetQuery(rest.substr(1));
    }
    if (ConsumePrefix(rest, "/app1")) {
        if (!rest.empty() && rest.front() != '/') Invalid();
        return ExifQuery(rest);
    }
    if (ConsumePrefix(rest, "/xmp")) {
        if (rest.empty()) return MetadataSubtree::Xmp;
        if (rest.front() != '/') Invalid();
        return XmpPropertyQuery(rest.substr(1));
    }
    Invalid();
}

} // namespace pal::wic
