// Loading type libraries from modules and writing their registry entries.
#include "pal/bstr.h"
#include "pal/com/dispatch.h"
#include "pal/com_ptr.h"
#include "pal/guid_text.h"
#include "pal/registry_key.h"
#include "pal/resources/resources.h"
#include "pal/type_library_description.h"
#include "pal/utf.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::u16string Hex(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return pal::ToUtf16(text);
}

std::u16string VersionText(WORD major, WORD minor)
{
    return Hex(major) + u"." + Hex(minor);
}

LSTATUS CreateKeyWithDefault(HKEY root, const std::u16string& path, std::u16string_view value, bool setDefault = true)
{
    pal::RegKey key;
    LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                     key.ReleaseAndGetAddressOf(), nullptr);
    if (status == ERROR_SUCCESS && setDefault) status = pal::SetStringValue(key.Get(), nullptr, value);
    return status;
}

bool ReadString(HKEY root, const std::u16string& path, const char16_t* name, std::u16string& out)
{
    pal::RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::u16string value(size / sizeof(char16_t) + 1, u'\0');
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    value.resize(pal::WideLength(value.c_str()));
    out = value;
    return true;
}

// The classes root a registration writes to: HKCR, or the user's own classes.
struct ClassesRoot {
    HKEY key;
    pal::RegKey owned;
};

HRESULT OpenClassesRoot(bool forUser, ClassesRoot& root)
{
    if (!forUser) {
        root.key = HKEY_CLASSES_ROOT;
        return S_OK;
    }
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, root.owned.ReleaseAndGetAddressOf(), nullptr);
    root.key = root.owned.Get();
    return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

bool IsAutomationInterface(const TYPEATTR& attr)
{
    return (attr.typekind == TKIND_DISPATCH || attr.typekind == TKIND_INTERFACE) &&
           (attr.wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
}

// Calls f(TYPEATTR, name) for each automation interface of the library.
template <typename F> HRESULT ForEachAutomationInterface(ITypeLib* library, F f)
{
    const UINT count = library->GetTypeInfoCount();
    for (UINT n = 0; n < count; ++n) {
        pal::ComPtr<ITypeInfo> info;
        if (HRESULT hr = library->GetTypeInfo(n, info.ReleaseAndGetAddressOf()); FAILED(hr)) return hr;
        TYPEATTR* attr = nullptr;
        if (HRESULT hr = info->GetTypeAttr(&attr); FAILED(hr)) return hr;
        const TYPEATTR copy = *attr;
        info->ReleaseTypeAttr(attr);
        if (!IsAutomationInterface(copy)) continue;
        pal::Bstr name;
        info->GetDocumentation(MEMBERID_NIL, name.ReleaseAndGetAddressOf(), nullptr, nullptr, nullptr);
        if (HRESULT hr = f(copy, name.View()); FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT Register(ITypeLib* library, LPCOLESTR fullPath, LPCOLESTR helpDir, bool forUser)
{
    if (!library || !fullPath) return E_INVALIDARG;
    ClassesRoot root;
    if (HRESULT hr = OpenClassesRoot(forUser, root); FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    if (HRESULT hr = library->GetLibAttr(&attr); FAILED(hr)) return hr;
    const TLIBATTR lib = *attr;
    library->ReleaseTLibAttr(attr);

    pal::Bstr name, doc;
    library->GetDocumentation(-1, name.ReleaseAndGetAddressOf(), doc.ReleaseAndGetAddressOf(), nullptr, nullptr);
    const std::u16string libid = pal::GuidToString(lib.guid);
    const std::u16string base = u"TypeLib\\" + libid + u"\\" + VersionText(lib.wMajorVerNum, lib.wMinorVerNum);
    const char16_t* platform = lib.syskind == SYS_WIN64 ? u"win64" : u"win32";

    auto check = [](LSTATUS s) { return HRESULT_FROM_WIN32(static_cast<DWORD>(s)); };
    if (HRESULT hr = check(CreateKeyWithDefault(root.key, base, doc.Empty() ? name.View() : doc.View())); FAILED(hr))
        return hr;
    if (HRESULT hr = check(CreateKeyWithDefault(root.key, base + u"\\FLAGS", u"0")); FAILED(hr)) return hr;
    if (HRESULT hr = check(CreateKeyWithDefault(root.key, base + u"\\" + Hex(lib.lcid) + u"\\" + platform, fullPath));
        FAILED(hr))
        return hr;
    if (HRESULT hr = check(CreateKeyWithDefault(root.key, base + u"\\HELPDIR", helpDir ? helpDir : u"")); FAILED(hr))
        return hr;

    const std::u16string proxyStub = pal::GuidToString(CLSID_PSOAInterface);
    return ForEachAutomationInterface(library, [&](const TYPEATTR& type, std::u16string_view typeName) -> HRESULT {
        const std::u16string key = u"Interface\\" + pal::GuidToString(type.guid);
        if (HRESULT hr = check(CreateKeyWithDefault(root.key, key, typeName)); FAILED(hr)) return hr;
        if (HRESULT hr = check(CreateKeyWithDefault(root.key, key + u"\\ProxyStubClsid", proxyStub)); FAILED(hr))
            return hr;
        if (HRESULT hr = check(CreateKeyWithDefault(root.key, key + u"\\ProxyStubClsid32", proxyStub)); FAILED(hr))
            return hr;
        pal::RegKey typeLibKey;
        LSTATUS status = RegCreateKeyExW(root.key, (key + u"\\TypeLib").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_WRITE, nullptr, typeLibKey.ReleaseAndGetAddressOf(), nullptr);
        if (status == ERROR_SUCCESS) status = pal::SetStringValue(typeLibKey.Get(), nullptr, libid);
        if (status == ERROR_SUCCESS)
            status = pal::SetStringValue(typeLibKey.Get(), u"Version", VersionText(lib.wMajorVerNum, lib.wMinorVerNum));
        return check(status);
    });
}

// The module path registered for a library version, trying the locale, then neutral, then any.
bool RegisteredPath(HKEY root, REFGUID libid, WORD major, WORD minor, LCID lcid, std::u16string& path)
{
    const std::u16string base = u"TypeLib\\" + pal::GuidToString(libid) + u"\\" + VersionText(major, minor);
    for (const std::u16string& locale : {Hex(lcid), std::u16string(u"0")}) {
        for (const char16_t* platform : {u"win64", u"win32"})
            if (ReadString(root, base + u"\\" + locale + u"\\" + platform, nullptr, path)) return true;
    }
    pal::RegKey key;
    if (RegOpenKeyExW(root, base.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS) return false;
    char16_t sub[256];
    for (DWORD n = 0;; ++n) {
        DWORD length = 256;
        if (RegEnumKeyExW(key.Get(), n, sub, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        for (const char16_t* platform : {u"win64", u"win32"})
            if (ReadString(root, base + u"\\" + sub + u"\\" + platform, nullptr, path)) return true;
    }
    return false;
}

bool HasSubkeys(HKEY root, const std::u16string& path)
{
    pal::RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0;
    RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    return subkeys > 0;
}

HRESULT Unregister(REFGUID libid, WORD major, WORD minor, LCID lcid, bool forUser)
{
    ClassesRoot root;
    if (HRESULT hr = OpenClassesRoot(forUser, root); FAILED(hr)) return hr;
    std::u16string path;
    if (!RegisteredPath(root.key, libid, major, minor, lcid, path)) return TYPE_E_LIBNOTREGISTERED;

    // The interface keys are found through the library itself, when it still loads.
    pal::ComPtr<ITypeLib> library;
    if (SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.ReleaseAndGetAddressOf()))) {
        const std::u16string libidText = pal::GuidToString(libid);
        ForEachAutomationInterface(library.Get(), [&](const TYPEATTR& type, std::u16string_view) -> HRESULT {
            const std::u16string key = u"Interface\\" + pal::GuidToString(type.guid);
            std::u16string owner;
            if (ReadString(root.key, key + u"\\TypeLib", nullptr, owner) && owner == libidText)
                RegDeleteTreeW(root.key, key.c_str());
            return S_OK;
        });
    }
    const std::u16string libKey = u"TypeLib\\" + pal::GuidToString(libid);
    const std::u16string versionKey = libKey + u"\\" + VersionText(major, minor);
    LSTATUS status = RegDeleteTreeW(root.key, versionKey.c_str());
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
    if (!HasSubkeys(root.key, libKey)) RegDeleteKeyW(root.key, libKey.c_str());
    return S_OK;
}

} // namespace

STDAPI LoadTypeLibEx(LPCOLESTR szFile, REGKIND, ITypeLib** pptlib)
{
    if (!pptlib) return E_POINTER;
    *pptlib = nullptr;
    if (!szFile) return E_INVALIDARG;
    HINSTANCE module = pal::ModuleFromPath(szFile);
    if (!module) return TYPE_E_CANTLOADLIBRARY;
    const pal::TypeLibraryDescription* description = pal::ResourcesOf(module).typeLibrary;
    if (!description) return TYPE_E_CANTLOADLIBRARY;
    return pal::CreateTypeLib(*description, pptlib);
}

STDAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib** pptlib)
{
    if (!pptlib) return E_POINTER;
    *pptlib = nullptr;
    std::u16string path;
    if (!RegisteredPath(HKEY_CLASSES_ROOT, rguid, wVerMajor, wVerMinor, lcid, path)) return TYPE_E_LIBNOTREGISTERED;
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, pptlib);
}

STDAPI RegisterTypeLib(ITypeLib* ptlib, LPOLESTR szFullPath, LPOLESTR szHelpDir)
{
    return Register(ptlib, szFullPath, szHelpDir, false);
}

STDAPI RegisterTypeLibForUser(ITypeLib* ptlib, OLECHAR* szFullPath, OLECHAR* szHelpDir)
{
    return Register(ptlib, szFullPath, szHelpDir, true);
}

STDAPI UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND)
{
    return Unregister(libID, wVerMajor, wVerMinor, lcid, false);
}

STDAPI UnRegisterTypeLibForUser(REFGUID libID, WORD wMajorVerNum, WORD wMinorVerNum, LCID lcid, SYSKIND)
{
    return Unregister(libID, wMajorVerNum, wMinorVerNum, lcid, true);
}
