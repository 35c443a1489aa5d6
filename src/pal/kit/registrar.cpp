#include "pal/registrar.h"

#include "pal/registry_key.h"
#include "pal/wide_string.h"
#include "script_parser.h"

#include <string>

namespace pal {

namespace {

using registrar::KeyFlag;
using registrar::ScriptHive;
using registrar::ScriptKey;
using registrar::ScriptValue;

bool Missing(LSTATUS status)
{
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

HRESULT FromStatus(LSTATUS status)
{
    return HRESULT_FROM_WIN32(static_cast<std::uint32_t>(status));
}

HRESULT SetValue(HKEY key, const ScriptValue& value)
{
    const LPCWSTR name = value.name.empty() ? nullptr : value.name.c_str();
    return FromStatus(
        RegSetValueExW(key, name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size())));
}

// A subtree that is already gone is what removal wants.
HRESULT DeleteTree(HKEY parent, const pal::WideString& name)
{
    const LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    return Missing(status) ? S_OK : FromStatus(status);
}

HRESULT RegisterKey(HKEY parent, const ScriptKey& key);

HRESULT RegisterBody(HKEY key, const ScriptKey& body)
{
    for (const ScriptValue& value : body.values)
        if (const HRESULT hr = SetValue(key, value); FAILED(hr)) return hr;
    for (const ScriptKey& subkey : body.subkeys)
        if (const HRESULT hr = RegisterKey(key, subkey); FAILED(hr)) return hr;
    return S_OK;
}

HRESULT RegisterKey(HKEY parent, const ScriptKey& key)
{
    if (key.flag == KeyFlag::Delete) return DeleteTree(parent, key.name);
    if (key.flag == KeyFlag::ForceRemove)
        if (const HRESULT hr = DeleteTree(parent, key.name); FAILED(hr)) return hr;

    RegKey created;
    const LSTATUS status = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, created.ReleaseAndGetAddressOf(), nullptr);
    if (status != ERROR_SUCCESS) return FromStatus(status);
    if (key.defaultValue)
        if (const HRESULT hr = SetValue(created.Get(), *key.defaultValue); FAILED(hr)) return hr;
    return RegisterBody(created.Get(), key);
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& key);

// Named values go even where their key stays; a default value goes only with its key.
HRESULT UnregisterBody(HKEY key, const ScriptKey& body)
{
    for (const ScriptValue& value : body.values) {
        if (value.name.empty()) continue;
        const LSTATUS status = RegDeleteValueW(key, value.name.c_str());
        if (status != ERROR_SUCCESS && !Missing(status)) return FromStatus(status);
    }
    for (const ScriptKey& subkey : body.subkeys)
        if (const HRESULT hr = UnregisterKey(key, subkey); FAILED(hr)) return hr;
    return S_OK;
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& key)
{
    // Delete keys were removed when registering; there is nothing to undo.
    if (key.flag == KeyFlag::Delete) return S_OK;
    if (key.flag == KeyFlag::ForceRemove) return DeleteTree(parent, key.name);

    DWORD subkeys = 0;
    {
        RegKey opened;
        const LSTATUS status =
            RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_ALL_ACCESS, opened.ReleaseAndGetAddressOf());
        if (Missing(status)) return S_OK;
        if (status != ERROR_SUCCESS) return FromStatus(status);
        if (const HRESULT hr = UnregisterBody(opened.Get(), key); FAILED(hr)) return hr;
        if (key.flag == KeyFlag::NoRemove) return S_OK;
        const LSTATUS info = RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr, nullptr);
        if (info != ERROR_SUCCESS) return FromStatus(info);
    }
    // Subkeys the script does not name belong to someone else and keep the key.
    if (subkeys != 0) return S_OK;
    const LSTATUS status = RegDeleteKeyW(parent, key.name.c_str());
    return Missing(status) ? S_OK : FromStatus(status);
}

HKEY PredefinedKey(ScriptHive hive)
{
    switch (hive) {
    case ScriptHive::CurrentUser:
        return HKEY_CURRENT_USER;
    case ScriptHive::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case ScriptHive::ClassesRoot:
        break;
    }
    return HKEY_CLASSES_ROOT;
}

HRESULT RunRoot(const registrar::ScriptRoot& root, bool registering, const ScriptRootRedirect* redirect)
{
    const auto run = [&](HKEY key) {
        return registering ? RegisterBody(key, root.body) : UnregisterBody(key, root.body);
    };
    if (root.hive != ScriptHive::ClassesRoot || !redirect) return run(PredefinedKey(root.hive));
    if (redirect->subKey.empty()) return run(redirect->root);

    const pal::WideString path(redirect->subKey);
    RegKey base;
    const LSTATUS status =
        registering ? RegCreateKeyExW(redirect->root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                      nullptr, base.ReleaseAndGetAddressOf(), nullptr)
                    : RegOpenKeyExW(redirect->root, path.c_str(), 0, KEY_ALL_ACCESS, base.ReleaseAndGetAddressOf());
    if (!registering && Missing(status)) return S_OK;
    if (status != ERROR_SUCCESS) return FromStatus(status);
    return run(base.Get());
}

} // namespace

const ScriptRootRedirect& PerUserClassesRedirect() noexcept
{
    static const ScriptRootRedirect redirect{HKEY_CURRENT_USER, W("Software\\Classes")};
    return redirect;
}

HRESULT RunRegistryScript(pal::WideView script, bool registering, const ReplacementMap& replacements,
                          const ScriptRootRedirect* classesRootRedirect)
{
    registrar::ParsedScript parsed;
    registrar::ScriptError error;
    if (!registrar::ParseScript(script, replacements, parsed, error)) return DISP_E_EXCEPTION;
    for (const registrar::ScriptRoot& root : parsed.roots)
        if (const HRESULT hr = RunRoot(root, registering, classesRootRedirect); FAILED(hr)) return hr;
    return S_OK;
}

} // namespace pal
