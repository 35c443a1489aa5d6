// orvana-host settings: what it writes must be what a plug-in reading the
// registry finds, and show must report the key as it is.
#include "pal/registry_key.h"
#include "settings/settings_store.h"
#include "tests/host/host_program.h"
#include "tests/support/registry_tree.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using host_testing::Contains;
using host_testing::Host;
using host_testing::HostRun;

const std::string kKeyName =
    R"(HKEY_CURRENT_USER\SOFTWARE\Brindle\Orvana\Publishing\Plugins\{6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978})";
const std::u16string kKey = orvana::kSettingsKeyPath; // the key the plug-in reads

struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Reads a value back the way the plug-in does; nothing when it is not there.
std::optional<Stored> Query(const char16_t* name)
{
    pal::RegKey key;
    Stored stored;
    DWORD size = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) ||
        RegQueryValueExW(key.Get(), name, nullptr, &stored.type, nullptr, &size))
        return std::nullopt;
    stored.data.resize(size);
    if (RegQueryValueExW(key.Get(), name, nullptr, nullptr, stored.data.data(), &size)) return std::nullopt;
    return stored;
}

std::vector<BYTE> Bytes(const void* data, std::size_t size)
{
    return {static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size};
}

using HostSettings = testing_support::PrefixTest;

TEST_F(HostSettings, RoundTripsValuesAndSubkeysThroughShow)
{
    const HostRun first = Host("settings set UploadQuality 90");
    ASSERT_EQ(0, first.status) << first.output;
    EXPECT_TRUE(Contains(first.output, "created " + kKeyName)) << first.output;
    EXPECT_EQ(0, Host("settings set JPEGLongDimension 1600 --type string").status);
    EXPECT_EQ(0, Host("settings set Caption 'Say \"hi\"'").status);
    EXPECT_FALSE(Contains(Host("settings set Title x").output, "created"));
    testing_support::CreateKey(HKEY_CURRENT_USER, (kKey + u"\\Cache").c_str(), u"Owner", u"demo");
    testing_support::CreateKey(HKEY_CURRENT_USER, (kKey + u"\\Cache\\Galleries").c_str(), u"Travel", u"1234");
    testing_support::CreateKey(HKEY_CURRENT_USER, (kKey + u"\\Empty").c_str());

    const HostRun text = Host("settings show");
    ASSERT_EQ(0, text.status) << text.output;
    EXPECT_EQ(kKeyName + "\n"
                         "  UploadQuality      dword   90\n"
                         "  JPEGLongDimension  string  \"1600\"\n"
                         "  Caption            string  \"Say \\\"hi\\\"\"\n"
                         "  Title              string  \"x\"\n"
                         "  Cache\\\n"
                         "    Owner  string  \"demo\"\n"
                         "    Galleries\\\n"
                         "      Travel  string  \"1234\"\n"
                         "  Empty\\\n",
              text.output);
    EXPECT_EQ(R"({"values":{"UploadQuality":{"type":"dword","data":90},)"
              R"("JPEGLongDimension":{"type":"string","data":"1600"},)"
              R"("Caption":{"type":"string","data":"Say \"hi\""},"Title":{"type":"string","data":"x"}},)"
              R"("subkeys":{"Cache":{"values":{"Owner":{"type":"string","data":"demo"}},)"
              R"("subkeys":{"Galleries":{"values":{"Travel":{"type":"string","data":"1234"}},)"
              R"("subkeys":{}}}},"Empty":{"values":{},"subkeys":{}}}})"
              "\n",
              Host("settings show --json").output);
}

TEST_F(HostSettings, WritesWhatTheRegistryReadsBack)
{
    ASSERT_EQ(0, Host("settings set JPEGLongDimension 1600 --type string").status);
    const auto digits = Query(u"JPEGLongDimension");
    ASSERT_TRUE(digits);
    EXPECT_EQ(REG_SZ, digits->type);
    EXPECT_EQ(Bytes(u"1600", 2 * 4 + 2), digits->data); // terminator counted

    // UTF-16 units, not the argument's UTF-8 bytes, size the data.
    ASSERT_EQ(0, Host("settings set Gallery Café").status);
    EXPECT_EQ(Bytes(u"Café", 2 * 4 + 2), Query(u"Gallery")->data);

    // A number is a dword up to the last that fits 32 bits, a string past it.
    ASSERT_EQ(0, Host("settings set Largest 4294967295").status);
    ASSERT_EQ(0, Host("settings set TooLarge 4294967296").status);
    ASSERT_EQ(0, Host("settings set Negative -1").status);
    const DWORD largest = 0xFFFFFFFFu;
    EXPECT_EQ(REG_DWORD, Query(u"Largest")->type);
    EXPECT_EQ(Bytes(&largest, sizeof largest), Query(u"Largest")->data);
    EXPECT_EQ(REG_SZ, Query(u"TooLarge")->type);
    EXPECT_EQ(REG_SZ, Query(u"Negative")->type);
}

TEST_F(HostSettings, RefusesABadDwordAndWritesNothing)
{
    for (const char* value : {"abc", "12ab", "4294967296", "-1", "''"}) {
        const HostRun refused = Host(std::string("settings set Quality ") + value + " --type dword");
        EXPECT_EQ(2, refused.status) << value;
        EXPECT_TRUE(Contains(refused.output, "is not a dword")) << refused.output;
    }
    EXPECT_FALSE(Query(u"Quality"));
}

TEST_F(HostSettings, ReportsWhatIsMissing)
{
    const HostRun noKey = Host("settings show");
    EXPECT_EQ(0, noKey.status);
    EXPECT_EQ("no settings: " + kKeyName + " does not exist\n", noKey.output);
    EXPECT_EQ("null\n", Host("settings show --json").output);

    const HostRun unsetWithoutKey = Host("settings unset Quality");
    EXPECT_EQ(1, unsetWithoutKey.status);
    EXPECT_TRUE(Contains(unsetWithoutKey.output, "no value Quality under " + kKeyName)) << unsetWithoutKey.output;

    ASSERT_EQ(0, Host("settings set Quality 90").status);
    EXPECT_EQ(0, Host("settings unset quality").status); // names ignore case, as the plug-in's lookups do
    EXPECT_FALSE(Query(u"Quality"));
}

TEST_F(HostSettings, KeepsEachClassUnderItsCanonicalClsid)
{
    const std::string other = "--clsid '{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}'";
    ASSERT_EQ(0, Host("settings set Quality 70 " + other).status);
    EXPECT_TRUE(Contains(Host("settings show").output, "no settings")); // the default class is untouched
    const auto plugins = testing_support::TreeOf(HKEY_CURRENT_USER, u"SOFTWARE\\Brindle\\Orvana\\Publishing\\Plugins");
    ASSERT_FALSE(plugins.empty());
    EXPECT_EQ("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}", plugins.front());
    EXPECT_TRUE(Contains(Host("settings show " + other).output, "Quality  dword  70"));
    EXPECT_EQ(2, Host("settings show --clsid 0a1b2c3d").status);
}

} // namespace
