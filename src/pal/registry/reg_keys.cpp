// The key functions of the registry API. Access rights (samDesired), key
// classes and volatile keys are not kept: every caller is the owner, no key
// has a class, and every key persists.
#include "pal/registry/key_handles.h"
#include "pal/registry/names.h"
#include "pal/registry/session.h"
#include "pal/registry/status.h"
#include "pal/registry_key.h"
#include "pal/utf.h"

#include <algorithm>

using namespace pal::registry;

namespace {

// No class is kept: report an empty one.
void WriteEmptyClass(LPWSTR lpClass, LPDWORD lpcchClass)
{
    if (lpClass && *lpcchClass > 0) lpClass[0] = u'\0';
    if (lpcchClass) *lpcchClass = 0;
}

// In UTF-16 code units, as Windows counts.
DWORD Length(const Name& name)
{
    return static_cast<DWORD>(pal::ToUtf16(name.text).size());
}

} // namespace

STDAPI_(LSTATUS) RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult)
{
    return Guard([&] {
        if (!phkResult) return ERROR_INVALID_PARAMETER;
        *phkResult = nullptr;
        const auto key = ResolveKey(hKey);
        const auto path = ParseKeyPath(lpSubKey);
        Session session(*key, Hive::Mode::Read);
        const auto copies = session.Find(path);
        if (copies.empty()) return ERROR_FILE_NOT_FOUND;
        *phkResult = AddHandle(session.Derive(path, copies, lpSubKey));
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS)
RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, const SECURITY_ATTRIBUTES*, PHKEY phkResult,
                LPDWORD lpdwDisposition)
{
    return Guard([&] {
        if (!phkResult) return ERROR_INVALID_PARAMETER;
        *phkResult = nullptr;
        const auto key = ResolveKey(hKey);
        const auto path = ParseKeyPath(lpSubKey);
        Session session(*key, Hive::Mode::Write);
        bool created = false;
        const auto copies = session.Create(path, created);
        session.Commit();
        *phkResult = AddHandle(session.Derive(path, copies, lpSubKey));
        if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS) RegCloseKey(HKEY hKey)
{
    if (IsPredefinedKey(hKey)) return ERROR_SUCCESS;
    return Guard([&] { return RemoveHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; });
}

STDAPI_(LSTATUS) RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    return Guard([&] {
        if (!lpSubKey) return ERROR_INVALID_PARAMETER;
        const auto key = ResolveKey(hKey);
        const auto path = ParseKeyPath(lpSubKey);
        Session session(*key, Hive::Mode::Write);
        const auto copies = session.Find(path);
        if (copies.empty()) return ERROR_FILE_NOT_FOUND;
        if (session.IsRoot(path)) return ERROR_ACCESS_DENIED;
        for (const Copy& copy : copies) {
            if (copy.transaction->HasSubkeys(copy.id)) return ERROR_ACCESS_DENIED;
        }
        for (const Copy& copy : copies)
            copy.transaction->Delete(copy.id);
        session.Commit();
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS) RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey)
{
    return Guard([&] {
        const auto key = ResolveKey(hKey);
        const auto path = ParseKeyPath(lpSubKey);
        Session session(*key, Hive::Mode::Write);
        const auto copies = session.Find(path);
        if (copies.empty()) return ERROR_FILE_NOT_FOUND;
        // Without a subkey the key itself stays; with one, even an empty one, it goes too.
        if (lpSubKey && session.IsRoot(path)) return ERROR_ACCESS_DENIED;
        for (const Copy& copy : copies) {
            if (lpSubKey) {
                copy.transaction->Delete(copy.id);
            } else {
                copy.transaction->Clear(copy.id);
            }
        }
        session.Commit();
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS)
RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPWSTR lpClass,
              LPDWORD lpcchClass, FILETIME* lpftLastWriteTime)
{
    return Guard([&] {
        if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
        const auto key = ResolveKey(hKey);
        Session session(*key, Hive::Mode::Read);
        const auto subkey = SubkeyAt(session.Find({}), dwIndex);
        if (!subkey) return ERROR_NO_MORE_ITEMS;
        if (!WriteName(subkey->text, lpName, lpcchName)) return ERROR_MORE_DATA;
        // No write times are kept.
        if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
        WriteEmptyClass(lpClass, lpcchClass);
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS)
RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                 LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                 LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime)
{
    return Guard([&] {
        if (lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
        const auto key = ResolveKey(hKey);
        Session session(*key, Hive::Mode::Read);
        const auto copies = session.Find({});
        const auto subkeys = MergeSubkeys(copies);
        const auto values = MergeValues(copies);
        DWORD longestSubkey = 0;
        DWORD longestValueName = 0;
        std::size_t longestValue = 0;
        for (const Name& name : subkeys)
            longestSubkey = std::max(longestSubkey, Length(name));
        for (const MergedValue& value : values) {
            longestValueName = std::max(longestValueName, Length(value.info.name));
            longestValue = std::max(longestValue, value.info.size);
        }
        // The maximum name lengths leave out the terminator, as on Windows.
        if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(subkeys.size());
        if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = longestSubkey;
        if (lpcValues) *lpcValues = static_cast<DWORD>(values.size());
        if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = longestValueName;
        if (lpcbMaxValueLen) *lpcbMaxValueLen = static_cast<DWORD>(longestValue);
        if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
        if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
        if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
        WriteEmptyClass(lpClass, lpcchClass);
        return ERROR_SUCCESS;
    });
}
