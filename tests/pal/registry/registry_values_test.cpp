#include "pal/registry_key.h"
#include "registry_fixture.h"

using RegistryValues = RegistryTest;

namespace {

std::vector<BYTE> Bytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

// The value's bytes, read as callers do: the size first, then the data.
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
    ASSERT_EQ(SetString(key.Get(), u"installdir", u"/opt/second"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key.Get(), u"INSTALLDIR"), u"/opt/second");
    EXPECT_EQ(ValueNames(key.Get()), (std::vector<std::u16string>{u"InstallDir", u"Second"}));
}

// Querying the size alone and reading it all are what Query below does for every type.
TEST_F(RegistryValues, AShortBufferGivesMoreDataWithTheSizeNeeded)
{
    const pal::RegKey key = Create(HKEY_CURRENT_USER, u"Values");
    ASSERT_EQ(SetString(key.Get(), u"Path", u"abc"), ERROR_SUCCESS);
    BYTE buffer[8];
    DWORD size = 7;
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key.Get(), u"Path", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValues, ValuesKeepTheirTypeAndBytesExactlyAsGiven)
{
    const pal::RegKey key = Create(HKEY_LOCAL_MACHINE, u"Types");
    const char16_t unterminated[] = {u'a', u'b'};
    const char16_t multi[] = u"one\0two\0";
    const BYTE binary[] = {0, 1, 0xFF, 0};
    const ULONGLONG qword = 0x0123456789ABCDEFull;
    struct Case {
        const char16_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const Case cases[] = {
        {u"Unterminated", REG_SZ, Bytes(unterminated, sizeof unterminated)},
        {u"Multi", REG_MULTI_SZ, Bytes(multi, sizeof multi)},
        {u"Binary", REG_BINARY, Bytes(binary, sizeof binary)},
        {u"Empty", REG_BINARY, {}},
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
    EXPECT_EQ(Info(key.Get()).values, 1u);
    EXPECT_EQ(Info(key.Get()).maxValueName, 16383u);
}
