#include "pal/wic/metadata_query.h"

#include "pal/hresult_error.h"
#include "pal/wic/imaging_interfaces.h"
#include "pal/wic/metadata_query_path.h"
#include "pal/wic/metadata_values.h"

#include <exiv2/error.hpp>
#include <exiv2/tags.hpp>

namespace pal::wic {

namespace {

[[noreturn]] void NotFound()
{
    throw HResultError(WINCODEC_ERR_PROPERTYNOTFOUND);
}

Exiv2::ExifKey KeyOf(const ExifTagQuery& query)
{
    return Exiv2::ExifKey(query.tag, query.group);
}

// The sub-IFD's tags with what hangs below it (interoperability, maker
// notes) and the pointer to it; exiv2 writes the pointer anew when tags remain.
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
                           const auto converted = ExifValueFor(tag, value);
                           Exiv2::ExifData& exif = blocks.EditExif();
                           const Exiv2::ExifKey key = KeyOf(tag);
                           EraseIf(exif, [&](const Exiv2::Exifdatum& datum) { return datum.key() == key.key(); });
                           exif.add(key, converted.get());
                       },
                       [&](const XmpQuery& property) {
                           const auto converted = XmpValueFor(property.key, value);
                           Exiv2::XmpData& xmp = blocks.EditXmp();
                           EraseIf(xmp, [&](const Exiv2::Xmpdatum& datum) { return datum.key() == property.key; });
                           xmp.add(Exiv2::XmpKey(property.key), converted.get());
                       },
                       [&](const IptcQuery& dataset) {
                           const Exiv2::IptcKey key(dataset.key);
                           const std::vector<Exiv2::Iptcdatum> data = IptcDataFor(key, value);
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
