#include "pal/com/activation.h"

#include "pal/com/class_factory.h"
#include "pal/com/com_ptr.h"
#include "pal/registry/registry.h"
#include "pal/text/utf.h"

#include <atomic>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

using DllGetClassObjectFunction = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFunction = HRESULT (*)();

struct ThreadApartment {
    int initCount = 0;
    DWORD model = 0;
};
thread_local ThreadApartment t_apartment;
std::atomic<int> g_initialisedThreads{0};

struct RegisteredClass {
    CLSID clsid;
    pal::ComPtr<IUnknown> classObject;
    DWORD context;
};

// Modules loaded by activation stay loaded until CoFreeUnusedLibraries finds them idle.
struct LoadedModule {
    void* handle = nullptr;
    DllGetClassObjectFunction getClassObject = nullptr;
    DllCanUnloadNowFunction canUnloadNow = nullptr;
};

struct ActivationState {
    std::mutex mutex;
    std::map<DWORD, RegisteredClass> registered;
    std::map<CLSID, pal::BuiltinCreateFunction> builtin;
    DWORD nextCookie = 1;
    std::map<std::string, LoadedModule> modules;
};

ActivationState& State()
{
    static ActivationState* state = new ActivationState(); // outlives every static destructor
    return *state;
}

HRESULT FindRegisteredClass(REFCLSID clsid, DWORD context, pal::ComPtr<IUnknown>& out)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    for (const auto& [cookie, entry] : state.registered) {
        if (entry.clsid == clsid && (entry.context & context)) {
            out = entry.classObject;
            return S_OK;
        }
    }
    return REGDB_E_CLASSNOTREG;
}

// The module path registered for a class: HKCR\CLSID\{clsid}\InprocServer32.
HRESULT InprocServerPath(REFCLSID clsid, std::string& path)
{
    const std::u16string keyPath = u"CLSID\\" + pal::GuidToString(clsid) + u"\\InprocServer32";
    pal::RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.ReleaseAndGetAddressOf()) !=
        ERROR_SUCCESS)
        return REGDB_E_CLASSNOTREG;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size < sizeof(WCHAR))
        return REGDB_E_CLASSNOTREG;
    std::u16string value(size / sizeof(WCHAR), u'\0');
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return REGDB_E_CLASSNOTREG;
    value.resize(pal::WideLength(value.c_str()));
    if (value.empty()) return REGDB_E_CLASSNOTREG;
    path = pal::ToUtf8(value);
    return S_OK;
}

pal::BuiltinCreateFunction FindBuiltinClass(REFCLSID clsid)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto found = state.builtin.find(clsid);
    return found == state.builtin.end() ? nullptr : found->second;
}

HRESULT LoadModule(const std::string& path, LoadedModule& out)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (auto found = state.modules.find(path); found != state.modules.end()) {
        out = found->second;
        return S_OK;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    LoadedModule module;
    module.handle = handle;
    module.getClassObject = reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
    module.canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle, "DllCanUnloadNow"));
    if (!module.getClassObject) {
        dlclose(handle);
        return CO_E_ERRORINDLL;
    }
    state.modules.emplace(path, module);
    out = module;
    return S_OK;
}

} // namespace

STDAPI CoInitializeEx(void*, DWORD dwCoInit)
{
    const DWORD model = dwCoInit & COINIT_APARTMENTTHREADED;
    if (t_apartment.initCount > 0) {
        if (t_apartment.model != model) return RPC_E_CHANGED_MODE;
        ++t_apartment.initCount;
        return S_FALSE;
    }
    t_apartment.initCount = 1;
    t_apartment.model = model;
    g_initialisedThreads.fetch_add(1);
    return S_OK;
}

STDAPI_(void) CoUninitialize()
{
    if (t_apartment.initCount == 0) return;
    if (--t_apartment.initCount == 0) g_initialisedThreads.fetch_sub(1);
}

STDAPI CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void*, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // As on Windows, a thread that never joined an apartment may still create
    // objects while some other thread of the process has (the implicit MTA).
    if (t_apartment.initCount == 0 && g_initialisedThreads.load() == 0) return CO_E_NOTINITIALIZED;

    pal::ComPtr<IUnknown> registered;
    if (SUCCEEDED(FindRegisteredClass(rclsid, dwClsContext, registered))) return registered->QueryInterface(riid, ppv);

    if (!(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    std::string path;
    if (HRESULT hr = InprocServerPath(rclsid, path); FAILED(hr)) {
        if (const auto create = FindBuiltinClass(rclsid)) {
            pal::ComPtr<IClassFactory> factory(new pal::ClassFactory(create));
            return factory->QueryInterface(riid, ppv);
        }
        return hr;
    }
    LoadedModule module;
    if (HRESULT hr = LoadModule(path, module); FAILED(hr)) return hr;
    return module.getClassObject(rclsid, riid, ppv);
}

STDAPI CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter && riid != IID_IUnknown) return E_INVALIDARG;
    pal::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, factory.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(pUnkOuter, riid, ppv);
}

STDAPI CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext, DWORD, LPDWORD lpdwRegister)
{
    if (!pUnk || !lpdwRegister) return E_INVALIDARG;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const DWORD cookie = state.nextCookie++;
    state.registered.emplace(cookie, RegisteredClass{rclsid, pal::ComPtr<IUnknown>(pUnk), dwClsContext});
    *lpdwRegister = cookie;
    return S_OK;
}

STDAPI CoRevokeClassObject(DWORD dwRegister)
{
    pal::ComPtr<IUnknown> released; // released outside the lock
    auto& state = State();
    {
        std::lock_guard lock(state.mutex);
        auto found = state.registered.find(dwRegister);
        if (found == state.registered.end()) return E_INVALIDARG;
        released = std::move(found->second.classObject);
        state.registered.erase(found);
    }
    return S_OK;
}

STDAPI_(void) CoFreeUnusedLibraries()
{
    auto& state = State();
    std::vector<void*> unload;
    {
        std::lock_guard lock(state.mutex);
        for (auto it = state.modules.begin(); it != state.modules.end();) {
            if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
                unload.push_back(it->second.handle);
                it = state.modules.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (void* handle : unload)
        dlclose(handle);
}

namespace pal {

void RegisterBuiltinClass(REFCLSID clsid, BuiltinCreateFunction create)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.builtin[clsid] = create;
}

} // namespace pal
