#include "tests/support/registry_tree.h"

#include "pal/registry_key.h"
#include "pal/utf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace testing_support {

using pal::RegKey;
using pal::ToUtf8;

namespace {

std::string Describe(DWORD type, const BYTE* data, DWORD size)
{
    if (type == REG_SZ && size % 2 == 0 && size >= 2) {
        std::u16string text(size / 2 - 1, u'\0');
        for (std::size_t n = 0; n < text.size(); ++n)
            text[n] = static_cast<char16_t>(data[2 * n] | data[2 * n + 1] << 8);
        return "\"" + ToUtf8(text) + "\"";
    }
    std::string out = std::to_string(type) + ":";
    char hex[4];
    for (DWORD n = 0; n < size; ++n) {
        std::snprintf(hex, sizeof hex, "%02x", data[n]);
        out += hex;
    }
    return out;
}

void Walk(HKEY key, const std::string& path, Lines& lines)
{
    std::vector<BYTE> data(65536);
    for (DWORD index = 0;; ++index) {
        WCHAR name[16384];
        DWORD nameLength = 16384, type = 0, size = static_cast<DWORD>(data.size());
        const LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS) << path;
        const std::string valueName = nameLength ? ToUtf8(std::u16string_view(name, nameLength)) : "@";
        lines.push_back(path + " " + valueName + " = " + Describe(type, data.data(), size));
    }
    for (DWORD index = 0;; ++index) {
        WCHAR name[256];
        DWORD nameLength = 256;
        const LSTATUS status = RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS) << path;
        const std::string childPath = (path.empty() ? "" : path + "\\") + ToUtf8(std::u16string_view(name, nameLength));
        lines.push_back(childPath);
        RegKey child;
        ASSERT_EQ(RegOpenKeyExW(key, name, 0, KEY_READ, child.ReleaseAndGetAddressOf()), ERROR_SUCCESS);
        Walk(child.Get(), childPath, lines);
    }
}

} // namespace

Lines TreeOf(HKEY root, const char16_t* subKey)
{
    Lines lines;
    RegKey key;
    const LSTATUS status = RegOpenKeyExW(root, subKey, 0, KEY_READ, key.ReleaseAndGetAddressOf());
    if (status == ERROR_FILE_NOT_FOUND) return lines;
    EXPECT_EQ(status, ERROR_SUCCESS);
    if (key) Walk(key.Get(), "", lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

void CreateKey(HKEY root, const char16_t* path, const char16_t* name, std::u16string_view text)
{
    RegKey key;
    ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              key.ReleaseAndGetAddressOf(), nullptr),
              ERROR_SUCCESS);
    if (!name) return;
    std::vector<BYTE> data;
    for (char16_t unit : text)
        data.insert(data.end(), {static_cast<BYTE>(unit), static_cast<BYTE>(unit >> 8)});
    data.insert(data.end(), {0, 0});
    ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, REG_SZ, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
}

} // namespace testing_support
