#include "contract/host_image_info.h"

#include <cstring>
#include <initializer_list>
#include <oleauto.h>

namespace contract {
namespace {

void FreeString(BSTR& text)
{
    SysFreeString(text);
    text = nullptr;
}

void ResetIptcHeader(HostIptcBlock& block)
{
    block.header0 = -1;
    block.header4 = 0;
    block.header6 = -1;
    std::memset(block.header8, 0xFF, sizeof block.header8);
    block.blanked = 0;
    block.header14 = static_cast<LONG>(0x80000000u);
}

} // namespace

void PresetHostImageInfo(HostImageInfo& info)
{
    std::memset(&info, 0, sizeof info);
    ResetIptcHeader(info.iptc);
}

void ResetIptcBlock(HostIptcBlock& block)
{
    for (BSTR& text : block.strings)
        FreeString(text);
    ResetIptcHeader(block);
}

void ReleaseHostImageInfo(HostImageInfo& info)
{
    for (BSTR* text : {&info.itemPath, &info.extensions, &info.hostString28, &info.hostStringA8, &info.hostStringB0,
                       &info.hostStringB8, &info.hostStringC0, &info.copyrightGroup[0], &info.copyrightGroup[1],
                       &info.copyrightGroup[2], &info.copyrightGroup[3], &info.hostStringE8, &info.hostStringF0,
                       &info.hostString168})
        FreeString(*text);
    ResetIptcBlock(info.iptc);
}

} // namespace contract
