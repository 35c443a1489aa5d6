// The item record's metadata groups written into an encoder's query writer:
// each group asked for is set from the record through the writer's paths, and
// a group handed over blank is written empty, by removing every place a copied
// metadata block may have put it.
#pragma once

#include "contract/host_image_info.h"
#include "host/imaging/metadata_value.h"

#include <string>
#include <vector>
#include <wincodec.h>

namespace host::imaging {

struct MetadataGroups {
    bool copyright = false;
    bool exif = false;
    bool xmp = false;
    bool gps = false;
    bool iptc = false;
};

// What writing the groups does to the writer, in order: every removal first,
// so a blank group cannot take away what another group sets.
struct MetadataPlan {
    std::vector<std::string> removals;
    std::vector<std::pair<std::string, MetadataValue>> sets;
};

MetadataPlan PlanMetadataWrite(const HostImageInfo& info, const MetadataGroups& groups);

// Carries the plan out. Removals of what is not there, or that the writer
// refuses, change nothing; every set is tried, and the first failing set's
// result is the answer.
HRESULT ApplyMetadataPlan(IWICMetadataQueryWriter& writer, const MetadataPlan& plan);

} // namespace host::imaging
