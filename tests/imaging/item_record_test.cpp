// The item record as the host sees its bytes: the preset and reset values at
// their offsets, every string freed and nulled by Release (the leak checker
// of the sanitizer build sees the rest), and the blanking of each group.
#include "contract/host_image_info.h"
#include "imaging/metadata_selection.h"

#include <cstring>
#include <gtest/gtest.h>
#include <oleauto.h>

namespace {

template <typename T> T At(const HostImageInfo& info, std::size_t offset)
{
    T value;
    std::memcpy(&value, reinterpret_cast<const BYTE*>(&info) + offset, sizeof value);
    return value;
}

void ExpectIptcHeaderReset(const HostImageInfo& info, LONG blanked)
{
    EXPECT_EQ(-1, At<LONG>(info, 0x170));
    EXPECT_EQ(0, At<SHORT>(info, 0x174));
    EXPECT_EQ(-1, At<SHORT>(info, 0x176));
    EXPECT_EQ(~0ull, At<ULONGLONG>(info, 0x178));
    EXPECT_EQ(blanked, At<LONG>(info, 0x180));
    EXPECT_EQ(static_cast<LONG>(0x80000000u), At<LONG>(info, 0x184));
}

// Every string slot the record has, filled as a host would.
void FillStrings(HostImageInfo& info)
{
    for (BSTR* slot : {&info.itemPath, &info.extensions, &info.hostString28, &info.hostStringA8, &info.hostStringB0,
                       &info.hostStringB8, &info.hostStringC0, &info.copyrightGroup[0], &info.copyrightGroup[1],
                       &info.copyrightGroup[2], &info.copyrightGroup[3], &info.hostStringE8, &info.hostStringF0,
                       &info.hostString168})
        *slot = SysAllocString(u"text");
    for (BSTR& slot : info.iptc.strings)
        slot = SysAllocString(u"iptc");
}

TEST(ItemRecord, PresetZeroesEverythingButTheIptcHeader)
{
    HostImageInfo info;
    std::memset(&info, 0x5A, sizeof info);
    contract::PresetHostImageInfo(info);
    ExpectIptcHeaderReset(info, 0);
    const auto* bytes = reinterpret_cast<const BYTE*>(&info);
    for (std::size_t offset = 0; offset < sizeof info; ++offset) {
        if (offset >= 0x170 && offset < 0x188) continue;
        ASSERT_EQ(0, bytes[offset]) << "offset " << offset;
    }
}

TEST(ItemRecord, ReleaseFreesAndNullsEveryStringAndResetsTheIptcBlock)
{
    HostImageInfo info;
    contract::PresetHostImageInfo(info);
    FillStrings(info);
    info.iptc.blanked = 1;
    info.width = 640;
    contract::ReleaseHostImageInfo(info);

    for (std::size_t offset : {0x18, 0x20, 0x28, 0xA8, 0xB0, 0xB8, 0xC0, 0xC8, 0xD0, 0xD8, 0xE0, 0xE8, 0xF0, 0x168})
        EXPECT_EQ(nullptr, At<void*>(info, offset)) << "offset " << offset;
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_EQ(nullptr, At<void*>(info, 0x188 + 8 * i)) << "IPTC text " << i;
    ExpectIptcHeaderReset(info, 0);
    EXPECT_EQ(640u, At<ULONG>(info, 0x104)) << "values are the host's to keep";
    contract::ReleaseHostImageInfo(info); // twice is harmless
}

TEST(ItemRecord, EachGroupIsBlankedTheWayTheHostRecognises)
{
    HostImageInfo info;
    contract::PresetHostImageInfo(info);
    FillStrings(info);
    std::memset(info.exifGroup, 0x11, sizeof info.exifGroup);
    info.gpsGroup = 3;
    for (SHORT& value : info.xmpGroup)
        value = 4;

    orvana::BlankCopyright(info);
    orvana::BlankExif(info);
    orvana::BlankXmp(info);
    orvana::BlankGps(info);
    orvana::BlankIptc(info);

    for (std::size_t offset : {0xC8, 0xD0, 0xD8, 0xE0})
        EXPECT_EQ(nullptr, At<void*>(info, offset));
    EXPECT_NE(nullptr, info.hostStringC0) << "only the copyright texts go";
    EXPECT_EQ(0ull, At<ULONGLONG>(info, 0x10));
    for (std::size_t offset = 0x12C; offset <= 0x134; offset += 2)
        EXPECT_EQ(-1, At<SHORT>(info, offset));
    EXPECT_EQ(0, At<SHORT>(info, 0x138));
    ExpectIptcHeaderReset(info, 1);
    for (BSTR text : info.iptc.strings)
        EXPECT_EQ(nullptr, text);
    contract::ReleaseHostImageInfo(info);
}

} // namespace
