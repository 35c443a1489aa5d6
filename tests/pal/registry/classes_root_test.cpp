#include "pal/registry_key.h"
#include "registry_fixture.h"

// Each test starts with both classes keys present and open.
class ClassesRoot : public RegistryTest {
  protected:
    pal::RegKey user_ = Create(HKEY_CURRENT_USER, u"Software\\Classes");
    pal::RegKey machine_ = Create(HKEY_LOCAL_MACHINE, u"Software\\Classes");
};

TEST_F(ClassesRoot, ReadsUserClassesBeforeMachineClasses)
{
    const pal::RegKey machineExt = Create(machine_.Get(), u".orv");
    ASSERT_EQ(SetString(machineExt.Get(), nullptr, u"Machine.Document"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(machineExt.Get(), u"Content Type", u"image/x-orv"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(Create(user_.Get(), u".ORV").Get(), nullptr, u"User.Document"), ERROR_SUCCESS);
    Create(machine_.Get(), u"MachineOnly");

    const pal::RegKey ext = Opened(HKEY_CLASSES_ROOT, u".orv");
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
    EXPECT_EQ(Info(HKEY_CLASSES_ROOT).subkeys, 3u);

    ASSERT_EQ(SetDword(Create(user_.Get(), u"a").Get(), u"Shared", 1), ERROR_SUCCESS);
    const pal::RegKey machineA = Create(machine_.Get(), u"A");
    ASSERT_EQ(SetDword(machineA.Get(), u"MachineValue", 2), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(machineA.Get(), u"SHARED", 3), ERROR_SUCCESS);
    const pal::RegKey a = Opened(HKEY_CLASSES_ROOT, u"A");
    EXPECT_EQ(ValueNames(a.Get()), (std::vector<std::u16string>{u"Shared", u"MachineValue"}));
    EXPECT_EQ(Info(a.Get()).values, 2u);
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
    const pal::RegKey clsid = Opened(HKEY_CLASSES_ROOT, u"clsid");
    Create(clsid.Get(), u"{0002}\\InprocServer32");
    EXPECT_TRUE(Exists(machine_.Get(), u"CLSID\\{0002}\\InprocServer32"));
    EXPECT_EQ(SubkeyNames(clsid.Get()), (std::vector<std::u16string>{u"{0001}", u"{0002}"}));
}

TEST_F(ClassesRoot, ValueWritesGoToTheUserCopyOnlyWhenTheKeyExistsThere)
{
    Create(machine_.Get(), u"Both");
    Create(user_.Get(), u"Both");
    Create(machine_.Get(), u"MachineOnly");
    ASSERT_EQ(SetDword(Opened(HKEY_CLASSES_ROOT, u"Both").Get(), u"Written", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(Opened(HKEY_CLASSES_ROOT, u"MachineOnly").Get(), u"Written", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(HKEY_CLASSES_ROOT, u"AtRoot", 1), ERROR_SUCCESS);

    const std::vector<std::u16string> written{u"Written"};
    EXPECT_EQ(ValueNames(Opened(user_.Get(), u"Both").Get()), written);
    EXPECT_TRUE(ValueNames(Opened(machine_.Get(), u"Both").Get()).empty());
    EXPECT_EQ(ValueNames(Opened(machine_.Get(), u"MachineOnly").Get()), written);
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
    const pal::RegKey flat = Opened(HKEY_CLASSES_ROOT, u"Flat");
    EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u"Flat"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists(user_.Get(), u"Flat"));
    EXPECT_FALSE(Exists(machine_.Get(), u"Flat"));
    EXPECT_EQ(SetDword(flat.Get(), u"x", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, u""), ERROR_ACCESS_DENIED);
}
