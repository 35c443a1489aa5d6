// Running registry scripts: what registration writes, what unregistration
// removes and keeps, where HKCR goes, and scripts that must not run.
#include "pal/registrar.h"
#include "tests/support/registry_tree.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>

namespace pal {
namespace {

using testing_support::Lines;

class RegistryScript : public testing::Test {
  protected:
    HRESULT Run(std::u16string_view script, bool registering, const ScriptRootRedirect* redirect = nullptr)
    {
        return RunRegistryScript(script, registering, replacements_, redirect);
    }
    static Lines Software() { return testing_support::TreeOf(HKEY_CURRENT_USER, u"Software"); }

    testing_support::TemporaryPrefix prefix_;
    ReplacementMap replacements_{{u"MODULE", u"/opt/orvana/plugin.so"}};
};

// The component scripts' own layout, a brace to a line, is run by the registration tests.
constexpr std::u16string_view kAppScript = uR"(
HKEY_CURRENT_USER { NoRemove Software { noremove Vendor {
    {APP-GUID} = s 'it''s %MODULE%'
    {
        VAL Number = d 0x10
        val Bytes = b 0A0b
        val List = m 'a' 'b'
        val Expand = e '%%P%%'
        'Sub Key' { Leaf }
    }
} } })";

const Lines kAppTree{
    "Vendor",
    "Vendor\\{APP-GUID}",
    "Vendor\\{APP-GUID} @ = \"it's /opt/orvana/plugin.so\"",
    "Vendor\\{APP-GUID} Bytes = 3:0a0b",
    "Vendor\\{APP-GUID} Expand = 2:2500500025000000",
    "Vendor\\{APP-GUID} List = 7:61000000620000000000",
    "Vendor\\{APP-GUID} Number = 4:10000000",
    "Vendor\\{APP-GUID}\\Sub Key",
    "Vendor\\{APP-GUID}\\Sub Key\\Leaf",
};

TEST_F(RegistryScript, RegistersExactlyTheScriptedKeysAndValues)
{
    ASSERT_EQ(Run(kAppScript, true), S_OK);
    EXPECT_EQ(Software(), kAppTree);
}

TEST_F(RegistryScript, UnregisteringKeepsNoRemoveKeysAndKeysWithForeignSubkeys)
{
    ASSERT_EQ(Run(kAppScript, true), S_OK);
    ASSERT_EQ(Run(kAppScript, false), S_OK);
    EXPECT_EQ(Software(), (Lines{"Vendor"}));

    ASSERT_EQ(Run(kAppScript, true), S_OK);
    testing_support::CreateKey(HKEY_CURRENT_USER, u"Software\\Vendor\\{APP-GUID}\\Foreign");
    testing_support::CreateKey(HKEY_CURRENT_USER, u"Software\\Vendor\\{APP-GUID}\\Sub Key", u"ForeignValue", u"x");
    ASSERT_EQ(Run(kAppScript, false), S_OK);
    // Named values go; the default value stays with its key; a foreign value
    // alone keeps nothing.
    EXPECT_EQ(Software(),
              (Lines{"Vendor", "Vendor\\{APP-GUID}", "Vendor\\{APP-GUID} @ = \"it's /opt/orvana/plugin.so\"",
                     "Vendor\\{APP-GUID}\\Foreign"}));
    EXPECT_EQ(Run(kAppScript, false), S_OK) << "removing what is gone is no error";
}

TEST_F(RegistryScript, ForceRemoveReplacesTheWholeSubtreeAndDeleteRemovesIt)
{
    constexpr std::u16string_view script =
        u"HKCU { NoRemove Software { ForceRemove Thing = s 'v2' { Fresh } Delete Obsolete } }";
    testing_support::CreateKey(HKEY_CURRENT_USER, u"Software\\Thing\\Stale\\Deeper", u"Old", u"1");
    testing_support::CreateKey(HKEY_CURRENT_USER, u"Software\\Obsolete\\Child");
    ASSERT_EQ(Run(script, true), S_OK);
    EXPECT_EQ(Software(), (Lines{"Thing", "Thing @ = \"v2\"", "Thing\\Fresh"}));

    testing_support::CreateKey(HKEY_CURRENT_USER, u"Software\\Thing\\Foreign");
    ASSERT_EQ(Run(script, false), S_OK);
    EXPECT_EQ(Software(), Lines{});
}

TEST_F(RegistryScript, PerUserRedirectWritesUnderCurrentUserClassesOnly)
{
    constexpr std::u16string_view script =
        u"HKCR { NoRemove CLSID { ForceRemove {X} = s 'Class' } } HKLM { NoRemove Software { Vendor } }";
    ASSERT_EQ(Run(script, true, &PerUserClassesRedirect()), S_OK);
    EXPECT_EQ(testing_support::TreeOf(HKEY_CURRENT_USER, u"Software\\Classes"),
              (Lines{"CLSID", "CLSID\\{X}", "CLSID\\{X} @ = \"Class\""}));
    EXPECT_EQ(testing_support::TreeOf(HKEY_LOCAL_MACHINE, u"Software"), (Lines{"Vendor"}))
        << "other roots are not redirected";
}

TEST_F(RegistryScript, ModuleReplacementKeepsThePathExactly)
{
    replacements_[u"MODULE"] = u"/home/o'brien/100% {x} = y/plugin.so";
    ASSERT_EQ(Run(u"HKCU { NoRemove Software { Server = s '%MODULE%' { val Other = s %MODULE% } } }", true), S_OK);
    EXPECT_EQ(Software(), (Lines{"Server", "Server @ = \"/home/o'brien/100% {x} = y/plugin.so\"",
                                 "Server Other = \"/home/o'brien/100% {x} = y/plugin.so\""}));
}

TEST_F(RegistryScript, MalformedScriptsChangeNothing)
{
    for (std::u16string_view script : {
             u"HKCU { NoRemove Software { Written } }\nHKCU { Bad = q 'x' }", // error after good items
             u"HKCU { NoRemove Software { K = s 'open } }",                   // unterminated quote
             u"HKCU { NoRemove Software { K }",                               // missing brace
             u"HKU { K }",                                                    // unknown root
             u"HKCU { NoRemove Software { K = b 0A0 } }",                     // odd hex digits
             u"HKCU { NoRemove Software { K = d 4294967296 } }",              // past 32 bits
             u"HKCU { NoRemove Software { 'a\\b' } }",                        // more than one level
             u"HKCU { NoRemove Software { K = m\n'a' } }",                    // multi-string items on its line only
             u"HKCU { NoRemove Software { 'a'b } }",                          // quote glued to a word
             u"HKCU { NoRemove Software { K = s '%UNKNOWN%' } }",             // no such replacement
             u"HKCU { NoRemove Software { K = s '50%' } }",                   // unpaired percent
         }) {
        SCOPED_TRACE(std::string(script.begin(), script.end()));
        EXPECT_EQ(Run(script, true), DISP_E_EXCEPTION);
        EXPECT_EQ(Software(), Lines{});
    }
}

TEST_F(RegistryScript, RegistryFailureStopsTheRunWithItsWin32Result)
{
    const std::u16string tooLong(256, u'k'); // one past the registry's key name limit
    EXPECT_EQ(Run(u"HKCU { NoRemove Software { First " + tooLong + u" Never } }", true),
              HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Software(), (Lines{"First"}));
}

} // namespace
} // namespace pal
