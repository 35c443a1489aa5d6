#include "registry_fixture.h"

// Each test starts with both classes keys present and open.
class ClassesRoot : public RegistryTest {
  protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        user_ = Create(HKEY_CURRENT_USER, u"Software\\Classes");
        machine_ = Create(HKEY_LOCAL_MACHINE, u"Software\\Classes");
    }
    void TearDown() override
    {
        user_.Close();
        machine_.Close();
        RegistryTest::TearDown();
    }
    pal::RegKey user_;
    pal::RegKey machine_;
};

TEST_F(ClassesRoot, ReadsUserClassesBeforeMachineClasses)
{
    const pal::RegKey machineExt = Create(machine_.Get(), u".orv");
    const pal::RegKey userExt = Create(user_.Get(), u".ORV");
    ASSERT_EQ(SetString(machineExt.Get(), nullptr, u"Machine.Document"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(machineExt.Get(), u"Content Type", u"image/x-orv"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(userExt.Get(), nullptr, u"User.Document"), ERROR_SUCCESS);
    Create(machine_.Get(), u"MachineOnly");

    pal::RegKey ext;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u".orv", ext), ERROR_SUCCESS);
    EXPECT_EQ(GetString(ext.Get(), nullptr), u"User.Document");
    // A value the user copy lacks is read from the machine copy.
    EXPECT_EQ(GetString(ext.Get(), u"content type"), u"image/x-orv");
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, u"MachineOnly"));
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Nowhere"));
}

TEST_F(ClassesRoot, EnumerationListsUserEntriesFirstAndEachNameOnce)
{
    for (const char16_t* name : {u"B", u"a"})
        Create(user_.Get(), name);
    for (const char16_t* name : {u"A", u"C"})
        Create(machine_.Get(), name);
    EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT), (std::vector<std::u16string>{u"B", u"a", u"C"}));

    const pal::RegKey userA = Create(user_.Get(), u"a");
    const pal::RegKey machineA = Create(machine_.Get(), u"A");
    ASSERT_EQ(SetDword(userA.Get(), u"Shared", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(machineA.Get(), u"MachineValue", 2), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(machineA.Get(), u"SHARED", 3), ERROR_SUCCESS);
    pal::RegKey a;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"A", a), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(a.Get()), (std::vector<std::u16string>{u"Shared", u"MachineValue"}));

    DWORD subkeys = 0, values = 0;
    ASSERT_EQ(RegQueryInfoKeyW(HKEY_CLASSES_ROOT, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 3u);
    ASSERT_EQ(RegQueryInfoKeyW(a.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u);
}

TEST_F(ClassesRoot, NewKeysGoToMachineClassesUnlessTheirParentHasAUserCopy)
{
    Create(HKEY_CLASSES_ROOT, u"CLSID\\{0001}");
    EXPECT_TRUE(Exists(machine_.Get(), u"CLSID\\{0001}"));
    EXPECT_FALSE(Exists(user_.Get(), u"CLSID"));

    Create(user_.Get(), u"PerUser");
    Create(HKEY_CLASSES_ROOT, u"PerUser\\Shell\\Open");
    EXPECT_TRUE(Exists(user_.Get(), u"PerUser\\Shell\\Open"));
    EXPECT_FALSE(Exists(machine_.Get(), u"PerUser"));

    // Through a handle opened on the view, the same rule applies.
    pal::RegKey clsid;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"clsid", clsid), ERROR_SUCCESS);
    Create(clsid.Get(), u"{0002}\\InprocServer32");
    EXPECT_TRUE(Exists(machine_.Get(), u"CLSID\\{0002}\\InprocServer32"));
    EXPECT_EQ(SubkeyNames(clsid.Get()), (std::vector<std::u16string>{u"{0001}", u"{0002}"}));
}

TEST_F(ClassesRoot, ValueWritesGoToTheUserCopyOnlyWhenTheKeyExistsThere)
{
    Create(machine_.Get(), u"Both");
    Create(user_.Get(), u"Both");
    Create(machine_.Get(), u"MachineOnly");
    pal::RegKey both, machineOnly;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"Both", both), ERROR_SUCCESS);
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"MachineOnly", machineOnly), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(both.Get(), u"Written", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(machineOnly.Get(), u"Written", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_CLASSES_ROOT, u"AtRoot", 1), ERROR_SUCCESS);

    pal::RegKey key;
    ASSERT_EQ(Open(user_.Get(), u"Both", key), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key.Get()), std::vector<std::u16string>{u"Written"});
    ASSERT_EQ(Open(machine_.Get(), u"Both", key), ERROR_SUCCESS);
    EXPECT_TRUE(ValueNames(key.Get()).empty());
    ASSERT_EQ(Open(machine_.Get(), u"MachineOnly", key), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key.Get()), std::vector<std::u16string>{u"Written"});
    EXPECT_EQ(ValueNames(machine_.Get()), std::vector<std::u16string>{u"AtRoot"});
}

TEST_F(ClassesRoot, DeletingThroughTheViewRemovesEveryCopy)
{
    Create(user_.Get(), u"Doomed");
    Create(machine_.Get(), u"Doomed\\Child");

    // The machine copy's child counts, though the user copy has none.
    EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"Doomed"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, u"doomed"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, u"Doomed"));
    EXPECT_FALSE(Exists(machine_.Get(), u"Doomed"));

    Create(user_.Get(), u"Flat");
    Create(machine_.Get(), u"Flat");
    pal::RegKey flat;
    ASSERT_EQ(Open(HKEY_CLASSES_ROOT, u"Flat", flat), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"Flat"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(user_.Get(), u"Flat"));
    EXPECT_FALSE(Exists(machine_.Get(), u"Flat"));
    EXPECT_EQ(SetDword(flat.Get(), u"x", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u""), ERROR_ACCESS_DENIED);
}
