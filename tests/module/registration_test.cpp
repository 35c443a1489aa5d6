// Registration through the module's exports writes and removes exactly the
// component's entries, machine-wide or per user.
#include "pal/com/dispatch.h"
#include "pal/com_ptr.h"
#include "pal/registry_key.h"
#include "tests/support/child_process.h"
#include "tests/support/component_module.h"
#include "tests/support/registry_tree.h"
#include "tests/support/temporary_prefix.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using testing_support::TreeOf;

constexpr const char* kPublisher = "{6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978}";
constexpr const char* kProxy = "{7B2F3051-4D6E-4C8F-A021-3E4D5C6B7A89}";
constexpr const char* kAppId = "{8C304162-5E7F-4D90-B132-4F5E6D7C8B9A}";
constexpr const char* kLibid = "{9D415273-6F80-4EA1-8243-506F7E8D9CAB}";
constexpr const char* kPluginInterface = "{AE526384-7091-4FB2-8354-61708F9EADBC}";

using Values = std::initializer_list<std::pair<const char*, std::string>>;

// A key's line and one line per string value of it ("@" names the default value).
void Add(std::vector<std::string>& lines, const std::string& key, Values values = {})
{
    lines.push_back(key);
    for (const auto& [name, text] : values)
        lines.push_back(key + " " + name + " = \"" + text + "\"");
}

void AddClass(std::vector<std::string>& lines, const std::string& clsid, const std::string& progId,
              const std::string& name, bool category)
{
    const std::string key = "CLSID\\" + clsid;
    Add(lines, key, {{"@", name}});
    Add(lines, key + "\\InprocServer32", {{"@", testing_support::ComponentPath()}, {"ThreadingModel", "Both"}});
    Add(lines, key + "\\ProgID", {{"@", progId + ".1"}});
    Add(lines, key + "\\Programmable");
    Add(lines, key + "\\TypeLib", {{"@", kLibid}});
    Add(lines, key + "\\VersionIndependentProgID", {{"@", progId}});
    Add(lines, progId, {{"@", name}});
    Add(lines, progId + "\\CLSID", {{"@", clsid}});
    Add(lines, progId + "\\CurVer", {{"@", progId + ".1"}});
    Add(lines, progId + ".1", {{"@", name}});
    Add(lines, progId + ".1\\CLSID", {{"@", clsid}});
    if (category) {
        Add(lines, key + "\\Implemented Categories");
        Add(lines, key + "\\Implemented Categories\\{BF637495-81A2-40C3-9465-7281909FBECD}");
    }
}

std::vector<std::string> ExpectedClassesTree()
{
    const std::string interfaceKey = std::string("Interface\\") + kPluginInterface;
    const std::string libKey = std::string("TypeLib\\") + kLibid + "\\1.0";
    const std::string proxyStub = "{00020424-0000-0000-C000-000000000046}";
    std::vector<std::string> lines = {"AppID", "CLSID", "Interface", "TypeLib", std::string("TypeLib\\") + kLibid};
    Add(lines, std::string("AppID\\") + kAppId, {{"@", "Orvana.Publishing.Plugin.Zenfolio"}});
    Add(lines, "AppID\\Orvana.Publishing.Plugin.Zenfolio.dll", {{"AppID", kAppId}});
    Add(lines, interfaceKey, {{"@", "IOrvanaPublishingPlugin"}});
    Add(lines, interfaceKey + "\\ProxyStubClsid", {{"@", proxyStub}});
    Add(lines, interfaceKey + "\\ProxyStubClsid32", {{"@", proxyStub}});
    Add(lines, interfaceKey + "\\TypeLib", {{"@", kLibid}, {"Version", "1.0"}});
    Add(lines, libKey, {{"@", "Orvana Publish to Zenfolio 1.0 Type Library"}});
    Add(lines, libKey + "\\409");
    Add(lines, libKey + "\\409\\win64", {{"@", testing_support::ComponentPath()}});
    Add(lines, libKey + "\\FLAGS", {{"@", "0"}});
    Add(lines, libKey + "\\HELPDIR", {{"@", ""}});
    AddClass(lines, kPublisher, "Orvana.Publishing.Plugin.Zenfolio", "Orvana Publish to Zenfolio Class", true);
    AddClass(lines, kProxy, "Orvana.Publishing.Plugin.Zenfolio.Proxy", "Orvana Publish to Zenfolio Proxy Class", false);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What unregistration leaves: the parent keys that registration found or made.
const std::vector<std::string> kLeftAfterRemoval = {"AppID", "CLSID", "Interface", "TypeLib"};

class Registration : public testing_support::PrefixTest {
  protected:
    testing_support::ComponentModule module_;
};

TEST_F(Registration, MachineWideWritesExactlyTheComponentEntriesAndRemovesThemAgain)
{
    ASSERT_EQ(S_OK, module_.RegisterServer());
    EXPECT_EQ(ExpectedClassesTree(), TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
    // Registering again changes nothing; a command that only starts with "user" is no per-user install.
    ASSERT_EQ(S_OK, module_.Install(TRUE, u"users"));
    EXPECT_EQ(ExpectedClassesTree(), TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
    EXPECT_TRUE(TreeOf(HKEY_CURRENT_USER, u"Software\\Classes").empty());

    ASSERT_EQ(S_OK, module_.UnregisterServer());
    EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
    ASSERT_EQ(S_OK, module_.Install(TRUE, u"users"));
    ASSERT_EQ(S_OK, module_.Install(FALSE, nullptr));
    EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
}

TEST_F(Registration, UnregisteringAnswersTheFirstFailureButStillRemovesTheModulesEntries)
{
    ASSERT_EQ(S_OK, module_.RegisterServer());
    // The type library went away on its own; the module's AppID entries are still there.
    ASSERT_EQ(S_OK, UnRegisterTypeLib(pal::MakeGuid("9D415273-6F80-4EA1-8243-506F7E8D9CAB"), 1, 0, 0x409, SYS_WIN64));
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, module_.UnregisterServer());
    EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
}

// The per-user flag lasts for the life of the process, so this runs in a child.
TEST_F(Registration, InstallForUserInAnyCaseWritesOnlyTheUsersClassesAndTheClassesRootFindsThem)
{
    EXPECT_TRUE(testing_support::PassesInChildProcess([this] {
        ASSERT_EQ(S_OK, module_.Install(TRUE, u"USER"));
        EXPECT_EQ(ExpectedClassesTree(), TreeOf(HKEY_CURRENT_USER, u"Software\\Classes"));
        EXPECT_TRUE(TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes").empty());
        // Once per user, plain unregistration stays per user too.
        ASSERT_EQ(S_OK, module_.UnregisterServer());
        EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_CURRENT_USER, u"Software\\Classes"));

        ASSERT_EQ(S_OK, module_.Install(TRUE, u"user"));
        pal::RegKey key;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978}\\InprocServer32", 0,
                                KEY_READ, key.ReleaseAndGetAddressOf()));
    }));
}

TEST(ClassObjects, AreServedForBothClassesAndCachedForTheModulesLife)
{
    testing_support::ComponentModule module;
    EXPECT_EQ(E_POINTER, module.GetClassObject(GUID_NULL, IID_IClassFactory, nullptr));

    void* unknown = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.GetClassObject(pal::MakeGuid("01234567-89AB-CDEF-0123-456789ABCDEF"),
                                                               IID_IClassFactory, &unknown));
    EXPECT_EQ(nullptr, unknown);

    const CLSID publisher = pal::MakeGuid("6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978");
    const CLSID proxy = pal::MakeGuid("7B2F3051-4D6E-4C8F-A021-3E4D5C6B7A89");
    pal::ComPtr<IClassFactory> first, second, proxyFactory;
    ASSERT_EQ(S_OK, module.GetClassObject(publisher, IID_IClassFactory, first.ReleaseAndGetVoidAddress()));
    ASSERT_EQ(S_OK, module.GetClassObject(publisher, IID_IClassFactory, second.ReleaseAndGetVoidAddress()));
    EXPECT_EQ(first.Get(), second.Get());
    ASSERT_EQ(S_OK, module.GetClassObject(proxy, IID_IClassFactory, proxyFactory.ReleaseAndGetVoidAddress()));
    EXPECT_NE(first.Get(), proxyFactory.Get());

    // Cached class objects do not keep the module loaded; a server lock does.
    EXPECT_EQ(S_OK, module.CanUnloadNow());
    first->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, module.CanUnloadNow());
    first->LockServer(FALSE);
    EXPECT_EQ(S_OK, module.CanUnloadNow());

    // A live object keeps it too.
    pal::ComPtr<IUnknown> proxyObject;
    ASSERT_EQ(S_OK, proxyFactory->CreateInstance(nullptr, IID_IUnknown, proxyObject.ReleaseAndGetVoidAddress()));
    EXPECT_EQ(S_FALSE, module.CanUnloadNow());
    proxyObject.Reset();
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

} // namespace
