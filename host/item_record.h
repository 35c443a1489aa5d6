// The item record the host fills for GetItemInfo: the item's base path and
// extension list, the metadata groups and the resolution its picture states.
#pragma once

#include "contract/host_image_info.h"
#include "host/selection.h"

namespace host {

// The record comes preset (contract::PresetHostImageInfo). The metadata and
// resolution are read from the item's JPEG-family file when it has one, else
// from its first file; a file that cannot be read is passed over, and an item
// none of whose files can be read keeps only its path and extensions: the
// plug-in finds out when it opens the file. Throws only std::bad_alloc.
void FillItemRecord(const SelectedItem& item, HostImageInfo& info);

} // namespace host
