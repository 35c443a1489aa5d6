// Registration through the module's exports writes and removes exactly the
// component's entries, machine-wide or per user.
#include "pal/com/com_ptr.h"
#include "pal/registry/registry.h"
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

std::vector<std::string> ClassKeys(const std::string& clsid, const std::string& progId, const std::string& name,
                                   bool category)
{
    const std::string key = "CLSID\\" + clsid;
    const std::string module = testing_support::ComponentPath();
    std::vector<std::string> lines = {
        key,
        key + " @ = \"" + name + "\"",
        key + "\\InprocServer32",
        key + "\\InprocServer32 @ = \"" + module + "\"",
        key + "\\InprocServer32 ThreadingModel = \"Both\"",
        key + "\\ProgID",
        key + "\\ProgID @ = \"" + progId + ".1\"",
        key + "\\Programmable",
        key + "\\TypeLib",
        key + "\\TypeLib @ = \"" + kLibid + "\"",
        key + "\\VersionIndependentProgID",
        key + "\\VersionIndependentProgID @ = \"" + progId + "\"",
        progId,
        progId + " @ = \"" + name + "\"",
        progId + "\\CLSID",
        progId + "\\CLSID @ = \"" + clsid + "\"",
        progId + "\\CurVer",
        progId + "\\CurVer @ = \"" + progId + ".1\"",
        progId + ".1",
        progId + ".1 @ = \"" + name + "\"",
        progId + ".1\\CLSID",
        progId + ".1\\CLSID @ = \"" + clsid + "\"",
    };
    if (category) {
        lines.push_back(key + "\\Implemented Categories");
        lines.push_back(key + "\\Implemented Categories\\{BF637495-81A2-40C3-9465-7281909FBECD}");
    }
    return lines;
}

std::vector<std::string> ExpectedClassesTree()
{
    const std::string module = testing_support::ComponentPath();
    const std::string interfaceKey = std::string("Interface\\") + kPluginInterface;
    const std::string libKey = std::string("TypeLib\\") + kLibid;
    std::vector<std::string> lines = {
        "AppID",
        std::string("AppID\\") + kAppId,
        std::string("AppID\\") + kAppId + " @ = \"Orvana.Publishing.Plugin.Zenfolio\"",
        "AppID\\Orvana.Publishing.Plugin.Zenfolio.dll",
        std::string("AppID\\Orvana.Publishing.Plugin.Zenfolio.dll AppID = \"") + kAppId + "\"",
        "CLSID",
        "Interface",
        interfaceKey,
        interfaceKey + " @ = \"IOrvanaPublishingPlugin\"",
        interfaceKey + "\\ProxyStubClsid",
        interfaceKey + "\\ProxyStubClsid @ = \"{00020424-0000-0000-C000-000000000046}\"",
        interfaceKey + "\\ProxyStubClsid32",
        interfaceKey + "\\ProxyStubClsid32 @ = \"{00020424-0000-0000-C000-000000000046}\"",
        interfaceKey + "\\TypeLib",
        interfaceKey + "\\TypeLib @ = \"" + kLibid + "\"",
        interfaceKey + "\\TypeLib Version = \"1.0\"",
        "TypeLib",
        libKey,
        libKey + "\\1.0",
        libKey + "\\1.0 @ = \"Orvana Publish to Zenfolio 1.0 Type Library\"",
        libKey + "\\1.0\\409",
        libKey + "\\1.0\\409\\win64",
        libKey + "\\1.0\\409\\win64 @ = \"" + module + "\"",
        libKey + "\\1.0\\FLAGS",
        libKey + "\\1.0\\FLAGS @ = \"0\"",
        libKey + "\\1.0\\HELPDIR",
        libKey + "\\1.0\\HELPDIR @ = \"\"",
    };
    for (auto part :
         {ClassKeys(kPublisher, "Orvana.Publishing.Plugin.Zenfolio", "Orvana Publish to Zenfolio Class", true),
          ClassKeys(kProxy, "Orvana.Publishing.Plugin.Zenfolio.Proxy", "Orvana Publish to Zenfolio Proxy Class",
                    false)})
        lines.insert(lines.end(), part.begin(), part.end());
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
    EXPECT_TRUE(TreeOf(HKEY_CURRENT_USER, u"Software\\Classes").empty());

    // Registering again changes nothing.
    ASSERT_EQ(S_OK, module_.RegisterServer());
    EXPECT_EQ(ExpectedClassesTree(), TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));

    ASSERT_EQ(S_OK, module_.UnregisterServer());
    EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
}

TEST_F(Registration, InstallWithACommandThatOnlyStartsWithUserRegistersMachineWide)
{
    ASSERT_EQ(S_OK, module_.Install(TRUE, u"users"));
    EXPECT_EQ(ExpectedClassesTree(), TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
    EXPECT_TRUE(TreeOf(HKEY_CURRENT_USER, u"Software\\Classes").empty());
    ASSERT_EQ(S_OK, module_.Install(FALSE, nullptr));
    EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes"));
}

// The per-user flag lasts for the life of the process, so this runs in a child.
TEST_F(Registration, InstallForUserInAnyCaseWritesOnlyTheUsersClasses)
{
    EXPECT_TRUE(testing_support::PassesInChildProcess([this] {
        ASSERT_EQ(S_OK, module_.Install(TRUE, u"USER"));
        EXPECT_EQ(ExpectedClassesTree(), TreeOf(HKEY_CURRENT_USER, u"Software\\Classes"));
        EXPECT_TRUE(TreeOf(HKEY_LOCAL_MACHINE, u"Software\\Classes").empty());
        // Once per user, plain unregistration stays per user too.
        ASSERT_EQ(S_OK, module_.UnregisterServer());
        EXPECT_EQ(kLeftAfterRemoval, TreeOf(HKEY_CURRENT_USER, u"Software\\Classes"));
    }));
}

TEST_F(Registration, ClassesRegisteredPerUserAreCreatableThroughTheClassesRoot)
{
    EXPECT_TRUE(testing_support::PassesInChildProcess([this] {
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
