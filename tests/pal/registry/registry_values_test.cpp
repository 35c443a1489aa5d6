#include "registry_fixture.h"

#include <array>
#include <cstring>

using RegistryValues = RegistryTest;

namespace {

std::vector<BYTE> Bytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

std::vector<BYTE> Query(HKEY key, const char16_t* name, DWORD& type)
{
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    std::vector<BYTE> data(size);
    EXPECT_EQ(RegQueryValueExW(key, name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, data.size());
    return data;
}

} // namespace

TEST_F(RegistryValues, LookupIgnoresCaseAndAnOverwriteKeepsTheFirstNameAndPlace)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Values");
    ASSERT_EQ(SetString(key.Get(), u"InstallDir", u"/opt/first"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key.Get(), u"Second", 2), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key.Get(), u"INSTALLDIR"), u"/opt/first");

    ASSERT_EQ(SetString(key.Get(), u"installdir", u"/opt/second"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key.Get(), u"InstallDir"), u"/opt/second");
    EXPECT_EQ(ValueNames(key.Get()), (std::vector<std::u16string>{u"InstallDir", u"Second"}));
}

TEST_F(RegistryValues, QueryGivesTheSizeAloneOrMoreDataWithTheSizeNeeded)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Values");
    ASSERT_EQ(SetString(key.Get(), u"Path", u"abc"), ERROR_SUCCESS);

    DWORD type = REG_NONE;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(type, REG_SZ);

    std::array<BYTE, 8> buffer{};
    buffer.fill(0xEE);
    size = 7;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, &type, buffer.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    size = 8;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::memcmp(buffer.data(), u"abc", 8), 0);

    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, nullptr, buffer.data(), nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValues, EveryTypeKeepsItsBytesExactlyAsGiven)
{
    const pal::RegKey key = Create(HKEY_LOCAL_MACHINE, u"Types");
    const char16_t unterminated[] = {u'a', u'b'};
    const char16_t multi[] = u"one\0two\0";
    const char16_t expand[] = u"%HOME%/x";
    const BYTE binary[] = {0, 1, 0xFF, 0};
    const DWORD dword = 0xDEADBEEF;
    const ULONGLONG qword = 0x0123456789ABCDEFull;
    struct Case {
        const char16_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const Case cases[] = {
        {u"Unterminated", REG_SZ, Bytes(unterminated, sizeof unterminated)},
        {u"Multi", REG_MULTI_SZ, Bytes(multi, sizeof multi)},
        {u"Expand", REG_EXPAND_SZ, Bytes(expand, sizeof expand)},
        {u"Binary", REG_BINARY, Bytes(binary, sizeof binary)},
        {u"Empty", REG_BINARY, {}},
        {u"Dword", REG_DWORD, Bytes(&dword, sizeof dword)},
        {u"Qword", REG_QWORD, Bytes(&qword, sizeof qword)},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(RegSetValueExW(key.Get(), c.name, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS);
    }
    for (const Case& c : cases) {
        DWORD type = REG_NONE;
        EXPECT_EQ(Query(key.Get(), c.name, type), c.data) << "value of type " << c.type;
        EXPECT_EQ(type, c.type);
    }
}

TEST_F(RegistryValues, TheDefaultValueHasTheEmptyName)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Default");
    EXPECT_EQ(GetString(key.Get(), nullptr), std::nullopt);
    ASSERT_EQ(SetString(key.Get(), nullptr, u"by null"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key.Get(), u""), u"by null");
    ASSERT_EQ(SetString(key.Get(), u"", u"by empty"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key.Get(), nullptr), u"by empty");
    EXPECT_EQ(ValueNames(key.Get()), std::vector<std::u16string>{u""});
    EXPECT_EQ(RegDeleteValueW(key.Get(), nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key.Get(), u""), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValues, ValueNamesAreLimitedTo16383Characters)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Limits");
    EXPECT_EQ(SetDword(key.Get(), std::u16string(16383, u'v').c_str(), 1), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(key.Get(), std::u16string(16384, u'v').c_str(), 1), ERROR_INVALID_PARAMETER);
    DWORD values = 0;
    DWORD longest = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &longest,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(longest, 16383u);
}
