// Each registry test runs in a fresh, empty prefix of its own, removed
// afterwards, and reaches the registry only through the Reg* functions.
#pragma once

#include "pal/registry_key.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

class RegistryTest : public testing_support::PrefixTest {
  protected:
    static pal::RegKey Create(HKEY parent, const char16_t* path, DWORD* disposition = nullptr)
    {
        pal::RegKey key;
        EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  key.ReleaseAndGetAddressOf(), disposition),
                  ERROR_SUCCESS)
            << "creating key";
        return key;
    }

    static LSTATUS Open(HKEY parent, const char16_t* path, pal::RegKey& key)
    {
        return RegOpenKeyExW(parent, path, 0, KEY_READ, key.ReleaseAndGetAddressOf());
    }

    static pal::RegKey Opened(HKEY parent, const char16_t* path)
    {
        pal::RegKey key;
        EXPECT_EQ(Open(parent, path, key), ERROR_SUCCESS) << "opening key";
        return key;
    }

    static bool Exists(HKEY parent, const char16_t* path)
    {
        pal::RegKey key;
        return Open(parent, path, key) == ERROR_SUCCESS;
    }

    // Stored with its terminator, as Windows callers do.
    static LSTATUS SetString(HKEY key, const char16_t* name, std::u16string_view text)
    {
        const std::u16string data(text);
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
    }

    static LSTATUS SetDword(HKEY key, const char16_t* name, DWORD value)
    {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    // The string without its terminator, or nothing when the value is missing.
    static std::optional<std::u16string> GetString(HKEY key, const char16_t* name)
    {
        char16_t buffer[512] = {};
        DWORD size = sizeof buffer;
        DWORD type = REG_NONE;
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        EXPECT_EQ(type, REG_SZ);
        std::u16string text(buffer, size / sizeof(char16_t));
        if (!text.empty() && text.back() == u'\0') text.pop_back();
        return text;
    }

    struct KeyInfo {
        DWORD subkeys = 0, maxSubkey = 0, values = 0, maxValueName = 0, maxValue = 0;
    };
    static KeyInfo Info(HKEY key)
    {
        KeyInfo i;
        EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &i.subkeys, &i.maxSubkey, nullptr, &i.values,
                                   &i.maxValueName, &i.maxValue, nullptr, nullptr),
                  ERROR_SUCCESS);
        return i;
    }

    static std::vector<std::u16string> SubkeyNames(HKEY key) { return Names(key, true); }
    static std::vector<std::u16string> ValueNames(HKEY key) { return Names(key, false); }

  private:
    // Every name an enumeration gives, in order, until ERROR_NO_MORE_ITEMS.
    static std::vector<std::u16string> Names(HKEY key, bool subkeys)
    {
        std::vector<std::u16string> names;
        for (DWORD index = 0;; ++index) {
            char16_t name[512];
            DWORD length = 512;
            const LSTATUS status = subkeys
                                       ? RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr)
                                       : RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status != ERROR_SUCCESS) {
                EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
                return names;
            }
            names.emplace_back(name, length);
        }
    }
};
