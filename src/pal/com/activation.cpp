#include "pal/com/activation.h"

#include "pal/class_factory.h"
#include "pal/com_ptr.h"
#include "pal/guid_text.h"
#include "pal/registry_key.h"
#include "pal/resources/module_file.h"
#include "pal/utf.h"

#include <atomic>
#include <cstdint>
#include <dlfcn.h>
#include <map>
#include <memory>
#include <mutex>
#include <new>
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

// A module loaded by activation. Its library closes when the last holder lets
// go: the module table, a call into the module under way, an unload question.
struct LoadedModule {
    pal::LibraryHandle library;
    DllGetClassObjectFunction getClassObject = nullptr;
    DllCanUnloadNowFunction canUnloadNow = nullptr;
};
using ModulePtr = std::shared_ptr<const LoadedModule>;

// Modules stay in the table until CoFreeUnusedLibraries finds them idle.
struct ModuleEntry {
    ModulePtr module;
    std::uint64_t lookups = 0; // an answer to DllCanUnloadNow holds only while this stays put
};

// Nothing calls into a module or the loader while holding the mutex: a module
// may call back into activation from any of its code.
struct ActivationState {
    std::mutex mutex;
    std::map<DWORD, RegisteredClass> registered;
    std::map<CLSID, pal::BuiltinCreateFunction> builtin;
    DWORD nextCookie = 1;
    std::map<std::string, ModuleEntry> modules;
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

HRESULT LoadModule(const std::string& path, ModulePtr& out)
{
    auto& state = State();
    {
        std::lock_guard lock(state.mutex);
        if (auto found = state.modules.find(path); found != state.modules.end()) {
            ++found->second.lookups;
            out = found->second.module;
            return S_OK;
        }
    }
    // Loading runs the module's initialisers, so it happens outside the lock.
    auto module = std::make_shared<LoadedModule>();
    module->library.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!module->library) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    void* library = module->library.get();
    module->getClassObject = reinterpret_cast<DllGetClassObjectFunction>(dlsym(library, "DllGetClassObject"));
    module->canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(library, "DllCanUnloadNow"));
    if (!module->getClassObject) return CO_E_ERRORINDLL;
    // A thread that loaded it meanwhile wins; the loader counted both loads, and
    // ours is dropped after the lock.
    std::lock_guard lock(state.mutex);
    auto& entry = state.modules.try_emplace(path, ModuleEntry{std::move(module)}).first->second;
    ++entry.lookups;
    out = entry.module;
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
    ModulePtr module;
    try {
        if (HRESULT hr = LoadModule(path, module); FAILED(hr)) return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return module->getClassObject(rclsid, riid, ppv);
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
    struct Question {
        std::string path;
        ModulePtr module; // the last reference once the table lets go: the library closes with it, unlocked
        std::uint64_t lookups;
    };
    auto& state = State();
    try {
        std::vector<Question> questions;
        {
            std::lock_guard lock(state.mutex);
            for (const auto& [path, entry] : state.modules)
                if (entry.module->canUnloadNow) questions.push_back({path, entry.module, entry.lookups});
        }
        for (const Question& question : questions) {
            if (question.module->canUnloadNow() != S_OK) continue;
            std::lock_guard lock(state.mutex);
            // A lookup since the question may have handed out a class object the answer did not count.
            const auto found = state.modules.find(question.path);
            if (found != state.modules.end() && found->second.module == question.module &&
                found->second.lookups == question.lookups)
                state.modules.erase(found);
        }
    } catch (const std::bad_alloc&) {
        // Nothing unloaded this time.
    }
}

namespace pal {

void RegisterBuiltinClass(REFCLSID clsid, BuiltinCreateFunction create)
{
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.builtin[clsid] = create;
}

} // namespace pal
