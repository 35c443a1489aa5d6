#include "registry_fixture.h"

using RegistryEnumeration = RegistryTest;

TEST_F(RegistryEnumeration, SubkeysAndValuesComeInCreationOrder)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Ordered");
    for (const char16_t* name : {u"zeta", u"Alpha", u"mu"}) {
        Create(key.Get(), name);
        ASSERT_EQ(SetDword(key.Get(), name, 0), ERROR_SUCCESS);
    }
    EXPECT_EQ(SubkeyNames(key.Get()), (std::vector<std::u16string>{u"zeta", u"Alpha", u"mu"}));

    // A key created again after deletion is new, so it goes last; a value
    // written again keeps its place.
    ASSERT_EQ(RegDeleteKeyW(key.Get(), u"zeta"), ERROR_SUCCESS);
    Create(key.Get(), u"Zeta");
    ASSERT_EQ(SetDword(key.Get(), u"ZETA", 1), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(key.Get()), (std::vector<std::u16string>{u"Alpha", u"mu", u"Zeta"}));
    EXPECT_EQ(ValueNames(key.Get()), (std::vector<std::u16string>{u"zeta", u"Alpha", u"mu"}));
}

TEST_F(RegistryEnumeration, ShortBuffersGiveMoreDataWithTheSizeNeededAndTheEndGivesNoMoreItems)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Sizes");
    Create(key.Get(), u"Child");
    ASSERT_EQ(SetString(key.Get(), u"Name", u"data"), ERROR_SUCCESS);

    char16_t name[8] = u"xxxxxxx";
    DWORD length = 5; // "Child" needs 6 with its terminator
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(std::u16string(name), u"xxxxxxx");
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::u16string(name), u"Child");
    length = 8;
    EXPECT_EQ(RegEnumKeyExW(key.Get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    DWORD type = REG_NONE;
    BYTE data[10];
    DWORD size = sizeof data;
    length = 4;
    EXPECT_EQ(RegEnumValueW(key.Get(), 0, name, &length, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(size, 10u);
    length = 8;
    size = 9;
    EXPECT_EQ(RegEnumValueW(key.Get(), 0, name, &length, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(std::u16string(name, length), u"Name");
    length = 8;
    size = 10;
    EXPECT_EQ(RegEnumValueW(key.Get(), 0, name, &length, nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(data)), u"data");
    length = 8;
    EXPECT_EQ(RegEnumValueW(key.Get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryEnumeration, QueryInfoCountsEntriesAndLongestNamesInCharacters)
{
    const pal::RegKey key = Create(HKEY_LOCAL_MACHINE, u"Info");
    Create(key.Get(), u"Short");
    Create(key.Get(), u"Σχεδόν");
    ASSERT_EQ(SetString(key.Get(), u"Value", u"twelve chars"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key.Get(), u"V", 1), ERROR_SUCCESS);

    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxValue = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                               &maxValueName, &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(maxSubkey, 6u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxValueName, 5u);
    EXPECT_EQ(maxValue, 26u);
}
