// The metadata groups of a picture file read into the host's item record
// (exiv2: JPEG, PNG, TIFF, DNG and the TIFF-based raws). The record's layout
// is record_layout.h's; nothing else of the record is touched.
#pragma once

#include "contract/host_image_info.h"

#include <filesystem>

namespace host {

// Fills the copyright, EXIF, XMP, GPS and IPTC groups of info (a record
// preset by contract::PresetHostImageInfo) from the file; a group the file
// does not have is left blank. Files exiv2 cannot read leave every group
// blank. Throws the file error for a missing file.
void ReadImageMetadata(const std::filesystem::path& path, HostImageInfo& info);

} // namespace host
