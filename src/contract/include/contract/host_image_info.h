// The item record the host lays out: the component zero-fills it, presets its
// IPTC block, hands it to the host to fill, reads and changes the fields named
// here and frees its strings. Every other byte is the host's.
#pragma once

#include <cstddef>
#include <oleauto.h>

struct HostIptcBlock {
    LONG header0;     // reset -1
    SHORT header4;    // reset 0
    SHORT header6;    // reset -1
    BYTE header8[8];  // reset all bits set
    LONG blanked;     // 1 hands the group over blanked; reset 0
    LONG header14;    // reset 0x80000000
    BSTR strings[32]; // the group's texts; null when absent
};

struct HostImageInfo {
    BYTE host00[0x10];
    BYTE exifGroup[8]; // zeroed to drop the group
    BSTR itemPath;     // the item's files' full path without dot and extension
    BSTR extensions;   // the item's extensions without dots, ";"-separated
    BSTR hostString28;
    BYTE host30[0x6C - 0x30];
    FLOAT dpiX; // output resolution
    FLOAT dpiY;
    BYTE host74[0xA8 - 0x74];
    BSTR hostStringA8;
    BSTR hostStringB0;
    BSTR hostStringB8;
    BSTR hostStringC0;
    BSTR copyrightGroup[4];
    BSTR hostStringE8;
    BSTR hostStringF0;
    BYTE hostF8[0x104 - 0xF8];
    ULONG width; // output size, each value twice
    ULONG width2;
    ULONG height;
    ULONG height2;
    BYTE host114[0x12C - 0x114];
    SHORT xmpGroup[5]; // -1 each to blank the group
    BYTE host136[0x138 - 0x136];
    SHORT gpsGroup; // 0 to blank the group
    BYTE host13A[0x168 - 0x13A];
    BSTR hostString168;
    HostIptcBlock iptc;
};

static_assert(sizeof(HostIptcBlock) == 280);
static_assert(offsetof(HostIptcBlock, blanked) == 0x10 && offsetof(HostIptcBlock, header14) == 0x14 &&
              offsetof(HostIptcBlock, strings) == 0x18);
static_assert(sizeof(HostImageInfo) == 648);
static_assert(offsetof(HostImageInfo, exifGroup) == 0x10 && offsetof(HostImageInfo, itemPath) == 0x18 &&
              offsetof(HostImageInfo, extensions) == 0x20 && offsetof(HostImageInfo, hostString28) == 0x28);
static_assert(offsetof(HostImageInfo, dpiX) == 0x6C && offsetof(HostImageInfo, dpiY) == 0x70);
static_assert(offsetof(HostImageInfo, hostStringA8) == 0xA8 && offsetof(HostImageInfo, hostStringC0) == 0xC0 &&
              offsetof(HostImageInfo, copyrightGroup) == 0xC8 && offsetof(HostImageInfo, hostStringE8) == 0xE8 &&
              offsetof(HostImageInfo, hostStringF0) == 0xF0);
static_assert(offsetof(HostImageInfo, width) == 0x104 && offsetof(HostImageInfo, width2) == 0x108 &&
              offsetof(HostImageInfo, height) == 0x10C && offsetof(HostImageInfo, height2) == 0x110);
static_assert(offsetof(HostImageInfo, xmpGroup) == 0x12C && offsetof(HostImageInfo, gpsGroup) == 0x138);
static_assert(offsetof(HostImageInfo, hostString168) == 0x168 && offsetof(HostImageInfo, iptc) == 0x170);

namespace contract {

// Zeroes the record and sets the IPTC block's header to its reset values.
void PresetHostImageInfo(HostImageInfo& info);
// Frees the IPTC block's strings and resets its header, 0x10 included.
void ResetIptcBlock(HostIptcBlock& block);
// Frees every string of the record (each set to null), then resets the IPTC block.
void ReleaseHostImageInfo(HostImageInfo& info);

} // namespace contract
