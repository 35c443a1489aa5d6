// The query paths this layer understands, in the imaging component's query
// language, told apart into the exiv2 key or block they name. docs/wic.md
// lists the vocabulary; it is a contract with the host's writers.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <windows.h>

namespace pal::wic {

struct ExifTagQuery {
    std::string group; // exiv2's IFD group: Image, Photo or GPSInfo
    std::uint16_t tag = 0;
};
struct XmpQuery {
    std::string key; // Xmp.<prefix>.<name>
};
struct IptcQuery {
    std::string key; // Iptc.Application2.<Dataset>
};
enum class MetadataSubtree { AllExif, ExifSubIfd, Gps, Xmp, Iptc, App13 };

using MetadataQuery = std::variant<ExifTagQuery, XmpQuery, IptcQuery, MetadataSubtree>;

// Throws HResultError(WINCODEC_ERR_INVALIDQUERYREQUEST) for a path outside
// the vocabulary, a malformed one, or a name exiv2 does not know.
MetadataQuery ParseMetadataQuery(LPCWSTR path);

} // namespace pal::wic
