// Which metadata of a picture reaches the service: the five switches, and the
// rules by which the pipeline removes, blanks and asks the host to write the
// groups of the item record.
#pragma once

#include "contract/host_image_info.h"
#include "contract/host_interfaces.h"

#include <wincodec.h>

namespace orvana {

struct MetadataSwitches {
    bool copyright = false;
    bool exif = false;
    bool xmp = false;
    bool gps = false;
    bool iptc = false;

    bool Any() const { return copyright || exif || xmp || gps || iptc; }
};

// Pixels intact: drops "/xmp" and "/app13" from what the block copy brought,
// hands every switched-off group over blanked and asks the host to write all
// five, so a group the user switched off ends up empty. Answers the host's result.
HRESULT WriteSelectedMetadataKeepingPixels(IWICMetadataQueryWriter* writer, IHostImaging* imaging, HostImageInfo& info,
                                           MetadataSwitches switches, bool anyMetadata);

// Resample: asks the host to write the switched-on groups. Answers the host's result.
HRESULT WriteSelectedMetadataAfterResampling(IWICMetadataQueryWriter* writer, IHostImaging* imaging,
                                             HostImageInfo& info, MetadataSwitches switches, bool anyMetadata);

// Marks the output as processed: EXIF CustomRendered (0xA401) = 1.
HRESULT WriteCustomRenderedTag(IWICMetadataQueryWriter* writer);

// The blanking of each group, as the host is to recognise it.
void BlankCopyright(HostImageInfo& info);
void BlankExif(HostImageInfo& info);
void BlankXmp(HostImageInfo& info);
void BlankGps(HostImageInfo& info);
void BlankIptc(HostImageInfo& info);

} // namespace orvana
