#include "pal/registry_key.h"
#include "registry_fixture.h"

#include <tuple>

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

// The end of every enumeration, ERROR_NO_MORE_ITEMS, is checked by the fixture's Names.
TEST_F(RegistryEnumeration, ShortBuffersGiveMoreDataWithTheSizeNeeded)
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

    // Given room for the name and the data: the status, the name length and the data size answered.
    DWORD type = REG_NONE;
    BYTE data[10];
    const auto enumerate = [&](DWORD nameRoom, DWORD dataRoom) {
        const LSTATUS status = RegEnumValueW(key.Get(), 0, name, &nameRoom, nullptr, &type, data, &dataRoom);
        return std::tuple<LSTATUS, DWORD, DWORD>{status, nameRoom, dataRoom};
    };
    EXPECT_EQ(enumerate(4, 10), std::make_tuple(ERROR_MORE_DATA, 5u, 10u)) << "the data size comes with a short name";
    EXPECT_EQ(enumerate(8, 9), std::make_tuple(ERROR_MORE_DATA, 4u, 10u));
    EXPECT_EQ(std::u16string(name, 4), u"Name");
    EXPECT_EQ(enumerate(8, 10), std::make_tuple(ERROR_SUCCESS, 4u, 10u));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(data)), u"data");
}

TEST_F(RegistryEnumeration, QueryInfoCountsEntriesAndLongestNamesInCharacters)
{
    const pal::RegKey key = Create(HKEY_LOCAL_MACHINE, u"Info");
    Create(key.Get(), u"Short");
    Create(key.Get(), u"Σχεδόν");
    ASSERT_EQ(SetString(key.Get(), u"Value", u"twelve chars"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key.Get(), u"V", 1), ERROR_SUCCESS);

    const KeyInfo info = Info(key.Get());
    EXPECT_EQ(std::vector<DWORD>({info.subkeys, info.maxSubkey, info.values, info.maxValueName, info.maxValue}),
              std::vector<DWORD>({2, 6, 2, 5, 26}));
}
