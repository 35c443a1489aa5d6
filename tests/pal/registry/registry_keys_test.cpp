#include "pal/registry_key.h"
#include "pal/wide_string.h"
#include "registry_fixture.h"

#include <string>

using RegistryKeys = RegistryTest;

TEST_F(RegistryKeys, KeysOpenWhateverTheCaseAndKeepTheCaseTheyWereCreatedWith)
{
    Create(HKEY_CURRENT_USER, u"Software\\OrVana\\Publisher");
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, u"SOFTWARE\\orvana\\PUBLISHER"));
    EXPECT_EQ(SubkeyNames(Create(HKEY_CURRENT_USER, u"software").Get()), std::vector<std::u16string>{u"OrVana"});

    // Beyond ASCII: accented and Greek letters, final sigma included, fold too.
    Create(HKEY_CURRENT_USER, u"Äpfel Σίσυφος");
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, u"äPFEL ΣΊΣΥΦΟΣ"));
    // Folding is one-to-one: ß does not match "SS", so these are two keys.
    DWORD disposition = 0;
    Create(HKEY_CURRENT_USER, u"Straße");
    Create(HKEY_CURRENT_USER, u"STRASSE", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
}

TEST_F(RegistryKeys, CreateMakesEveryMissingLevelAndTellsNewFromExisting)
{
    DWORD disposition = 0;
    Create(HKEY_LOCAL_MACHINE, u"A\\B\\C", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    Create(HKEY_LOCAL_MACHINE, u"a\\b\\c", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    // Relative to an open key, and with an empty path meaning the key itself.
    const pal::RegKey b = Create(HKEY_LOCAL_MACHINE, u"A\\B");
    Create(b.Get(), u"D", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    Create(b.Get(), u"", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, u"A\\B\\D"));
    // Each hive is its own tree.
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, u"A"));
    EXPECT_TRUE(std::filesystem::exists(prefix_.Path() / "registry" / "machine.db"));
}

TEST_F(RegistryKeys, MissingKeysAndMalformedPathsFailWithWindowsCodes)
{
    HKEY key = reinterpret_cast<HKEY>(this);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);

    const auto create = [](const char16_t* path) {
        pal::RegKey key;
        return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               key.ReleaseAndGetAddressOf(), nullptr);
    };
    EXPECT_EQ(create(u"\\Leading"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(create(u"Empty\\\\Component"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(create(std::u16string(256, u'x').c_str()), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, u"Empty"));
    EXPECT_EQ(create(std::u16string(255, u'x').c_str()), ERROR_SUCCESS);
    EXPECT_EQ(create(u"Trailing\\"), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, u"Trailing"));
}

TEST_F(RegistryKeys, DeleteKeyRefusesAKeyWithSubkeysWhileDeleteTreeRemovesIt)
{
    const pal::RegKey parent = Create(HKEY_CURRENT_USER, u"Parent");
    Create(parent.Get(), u"Child\\Grandchild");
    ASSERT_EQ(SetDword(parent.Get(), u"Kept", 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Parent\\Child\\Grandchild"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Parent\\Child\\Grandchild"), ERROR_FILE_NOT_FOUND);
    Create(parent.Get(), u"Child\\Again");

    // Without a subkey only the contents go.
    EXPECT_EQ(RegDeleteTreeW(parent.Get(), nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, u"Parent"));
    EXPECT_TRUE(SubkeyNames(parent.Get()).empty());
    EXPECT_TRUE(ValueNames(parent.Get()).empty());

    Create(parent.Get(), u"Child\\Again");
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"PARENT"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, u"Parent"));
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Parent"), ERROR_FILE_NOT_FOUND);
    // Nothing of the old tree comes back with a new key of the same name.
    const pal::RegKey recreated = Create(HKEY_CURRENT_USER, u"Parent");
    EXPECT_TRUE(SubkeyNames(recreated.Get()).empty());
    EXPECT_TRUE(ValueNames(recreated.Get()).empty());

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryKeys, AHandleToADeletedKeyAnswersKeyDeletedEvenAfterTheKeyIsRecreated)
{
    const pal::RegKey stale = Create(HKEY_CURRENT_USER, u"Software\\Gone");
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Gone"), ERROR_SUCCESS);
    Create(HKEY_CURRENT_USER, u"Software\\Gone");

    // Reads and writes alike; every call checks its key the same way.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(stale.Get(), nullptr, nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetDword(stale.Get(), u"x", 1), ERROR_KEY_DELETED);
}

TEST_F(RegistryKeys, ClosingAcceptsOpenHandlesAndPredefinedRootsOnly)
{
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, u""));

    pal::RegKey key = Create(HKEY_CURRENT_USER, u"Closing");
    HKEY raw = key.Get();
    key.Close();
    EXPECT_EQ(RegCloseKey(raw), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(raw, u"x", 1), ERROR_INVALID_HANDLE);
    // Keys opened after it may take its place in memory; the closed value must still be refused.
    for (int n = 0; n < 200; ++n) {
        const pal::RegKey reopened = Opened(HKEY_CURRENT_USER, W("Closing"));
        ASSERT_NE(reopened.Get(), raw) << "reopening " << n;
        ASSERT_EQ(SetDword(raw, W("x"), 1), ERROR_INVALID_HANDLE) << "reopening " << n;
    }
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    int notAKey = 0;
    EXPECT_EQ(Open(reinterpret_cast<HKEY>(&notAKey), u"", key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeys, HivesFollowThePrefixOfTheMomentAndKeepHandlesOnTheirOwn)
{
    const pal::RegKey first = Create(HKEY_CURRENT_USER, u"InFirstPrefix");
    {
        const testing_support::TemporaryPrefix second; // the process moves to another prefix for this scope
        EXPECT_FALSE(Exists(HKEY_CURRENT_USER, u"InFirstPrefix"));
        // An open handle stays with the hive it was opened in.
        EXPECT_EQ(SetDword(first.Get(), u"Written", 1), ERROR_SUCCESS);
    }
    EXPECT_EQ(ValueNames(Opened(HKEY_CURRENT_USER, u"InFirstPrefix").Get()), std::vector<std::u16string>{u"Written"});
}
