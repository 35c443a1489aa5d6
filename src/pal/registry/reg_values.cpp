// The value functions of the registry API. Data is kept exactly as given:
// string data carries the terminator only when the caller counted it in
// cbData, as on Windows.
#include "pal/registry/key_handles.h"
#include "pal/registry/names.h"
#include "pal/registry/session.h"
#include "pal/registry/status.h"
#include "pal/registry_key.h"

#include <algorithm>
#include <optional>

using namespace pal::registry;

namespace {

// Hands data to a caller: its size alone when lpData is null, ERROR_MORE_DATA
// with the size needed when the buffer is too small.
LSTATUS WriteData(const ValueData& value, LPBYTE lpData, LPDWORD lpcbData)
{
    const auto size = static_cast<DWORD>(value.data.size());
    if (lpData) {
        if (size > *lpcbData) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        std::copy(value.data.begin(), value.data.end(), lpData);
    }
    if (lpcbData) *lpcbData = size;
    return ERROR_SUCCESS;
}

} // namespace

STDAPI_(LSTATUS)
RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    return Guard([&] {
        if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
        const auto key = ResolveKey(hKey);
        // A name too long to be set cannot be found either.
        const Name name = MakeName(lpValueName ? lpValueName : u"");
        Session session(*key, Hive::Mode::Read);
        std::optional<ValueData> value;
        for (const Copy& copy : session.Find({})) {
            if ((value = copy.transaction->Value(copy.id, name.folded))) break;
        }
        if (!value) return ERROR_FILE_NOT_FOUND;
        if (lpType) *lpType = value->type;
        return WriteData(*value, lpData, lpcbData);
    });
}

STDAPI_(LSTATUS) RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    return Guard([&] {
        if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
        const auto key = ResolveKey(hKey);
        const Name name = ParseValueName(lpValueName);
        Session session(*key, Hive::Mode::Write);
        const Copy target = session.ValueTarget();
        target.transaction->SetValue(target.id, name, dwType, std::span<const BYTE>(lpData, lpData ? cbData : 0));
        session.Commit();
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS) RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    return Guard([&] {
        const auto key = ResolveKey(hKey);
        const Name name = MakeName(lpValueName ? lpValueName : u"");
        Session session(*key, Hive::Mode::Write);
        bool deleted = false;
        for (const Copy& copy : session.Find({})) {
            if (copy.transaction->DeleteValue(copy.id, name.folded)) deleted = true;
        }
        if (!deleted) return ERROR_FILE_NOT_FOUND;
        session.Commit();
        return ERROR_SUCCESS;
    });
}

STDAPI_(LSTATUS)
RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
              LPBYTE lpData, LPDWORD lpcbData)
{
    return Guard([&] {
        if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
        const auto key = ResolveKey(hKey);
        Session session(*key, Hive::Mode::Read);
        const auto found = ValueAt(session.Find({}), dwIndex);
        if (!found) return ERROR_NO_MORE_ITEMS;
        const MergedValue& entry = *found;
        if (lpType) *lpType = entry.info.type;
        if (!WriteName(entry.info.name.text, lpValueName, lpcchValueName)) {
            // As on Windows, the data size is still reported.
            if (lpcbData) *lpcbData = static_cast<DWORD>(entry.info.size);
            return ERROR_MORE_DATA;
        }
        if (!lpData) {
            if (lpcbData) *lpcbData = static_cast<DWORD>(entry.info.size);
            return ERROR_SUCCESS;
        }
        const auto value = entry.copy.transaction->Value(entry.copy.id, entry.info.name.folded);
        if (!value) return ERROR_NO_MORE_ITEMS; // listed in this same transaction, so never
        return WriteData(*value, lpData, lpcbData);
    });
}
