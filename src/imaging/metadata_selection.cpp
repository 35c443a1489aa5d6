#include "imaging/metadata_selection.h"

#include "pal/wide_format.h"

#include <algorithm>
#include <cstring>
#include <oleauto.h>

namespace orvana {
namespace {

constexpr USHORT kCustomRenderedTag = 0xA401;
constexpr USHORT kCustomProcessed = 1;

} // namespace

void BlankCopyright(HostImageInfo& info)
{
    for (BSTR& text : info.copyrightGroup) {
        SysFreeString(text);
        text = nullptr;
    }
}

void BlankExif(HostImageInfo& info)
{
    std::memset(info.exifGroup, 0, sizeof info.exifGroup);
}

void BlankXmp(HostImageInfo& info)
{
    std::fill(std::begin(info.xmpGroup), std::end(info.xmpGroup), SHORT{-1});
}

void BlankGps(HostImageInfo& info)
{
    info.gpsGroup = 0;
}

void BlankIptc(HostImageInfo& info)
{
    contract::ResetIptcBlock(info.iptc);
    info.iptc.blanked = 1;
}

HRESULT WriteSelectedMetadataKeepingPixels(IWICMetadataQueryWriter* writer, IHostImaging* imaging, HostImageInfo& info,
                                           MetadataSwitches switches, bool anyMetadata)
{
    // The host writes its own XMP and IPTC; what the block copy brought of them goes.
    writer->RemoveMetadataByName(W("/xmp"));
    writer->RemoveMetadataByName(W("/app13"));

    if (!switches.copyright) BlankCopyright(info);
    if (!switches.exif) BlankExif(info);
    if (!switches.xmp) BlankXmp(info);
    if (!switches.gps) BlankGps(info);
    if (!switches.iptc) BlankIptc(info);
    return imaging->WriteImageMetadata(writer, 0, 1, &info, TRUE, TRUE, TRUE, TRUE, TRUE, anyMetadata, FALSE);
}

HRESULT WriteSelectedMetadataAfterResampling(IWICMetadataQueryWriter* writer, IHostImaging* imaging,
                                             HostImageInfo& info, MetadataSwitches switches, bool anyMetadata)
{
    return imaging->WriteImageMetadata(writer, 0, 1, &info, switches.copyright, switches.exif, switches.xmp,
                                       switches.gps, switches.iptc, anyMetadata, TRUE);
}

HRESULT WriteCustomRenderedTag(IWICMetadataQueryWriter* writer)
{
    const pal::WideString path = pal::FormatWide(W("/app1/ifd/exif/{ushort=%d}"), int{kCustomRenderedTag});
    PROPVARIANT value;
    PropVariantInit(&value);
    value.vt = VT_UI2;
    value.uiVal = kCustomProcessed;
    return writer->SetMetadataByName(path.c_str(), &value);
}

} // namespace orvana
