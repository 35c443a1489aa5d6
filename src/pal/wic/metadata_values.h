// PROPVARIANTs of the metadata queries into exiv2 values of the tag,
// property or dataset they are written to, and back. Each throws
// HResultError(E_INVALIDARG) for a value the target cannot take.
#pragma once

#include "pal/wic/metadata_query_path.h"
#include "pal/wic/prop_variant_values.h"

#include <exiv2/exif.hpp>
#include <exiv2/iptc.hpp>
#include <exiv2/xmp_exiv2.hpp>
#include <memory>
#include <vector>

namespace pal::wic {

// In the tag's own exiv2 type where exiv2 knows the tag, else in the value's.
std::unique_ptr<Exiv2::Value> ExifValueFor(const ExifTagQuery& tag, const PROPVARIANT& value);
void ExifToPropVariant(const Exiv2::Value& value, PropVariantOwner& out);

// Texts, language alternatives (x-default) and arrays, numbers as decimal text.
std::unique_ptr<Exiv2::Value> XmpValueFor(const std::string& key, const PROPVARIANT& value);
void XmpToPropVariant(const Exiv2::Xmpdatum& datum, PropVariantOwner& out);

// One dataset, or several of a repeatable one.
std::vector<Exiv2::Iptcdatum> IptcDataFor(const Exiv2::IptcKey& key, const PROPVARIANT& value);
// Throws HResultError(WINCODEC_ERR_PROPERTYNOTFOUND) when the data hold none of the key's.
void IptcToPropVariant(const Exiv2::IptcData& data, const Exiv2::IptcKey& key, PropVariantOwner& out);

} // namespace pal::wic
