#include "module.h"

#include "contract/host_event_reporter_holder.h"
#include "contract/orvana_publishing.h"
#include "contract/version_block.h"
#include "pal/com_ptr.h"
#include "pal/compare.h"
#include "pal/guid_text.h"
#include "pal/registrar.h"
#include "pal/scoped_thread_locale.h"
#include "pal/this_module.h"
#include "pal/utf.h"
#include "pal/wide_string.h"
#include "publisher/zenfolio_publisher.h"
#include "service/zenfolio_proxy.h"

#include <atomic>
#include <oleauto.h>
#include <string>
#include <windows.h>

namespace {

constexpr UINT kModuleScript = 100;
constexpr UINT kPublisherScript = 101;
constexpr UINT kProxyScript = 1000;

std::atomic<CZenfolioModule*> g_instance{nullptr};
CZenfolioModule g_module; // lives exactly as long as the loaded module

HRESULT LoadScript(UINT id, pal::WideString& script)
{
    HINSTANCE module = pal::ThisModule();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), W("REGISTRY"));
    if (!resource) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    if (!bytes) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    script = pal::ToUtf16(std::string_view(bytes, SizeofResource(module, resource)));
    return S_OK;
}

pal::ComPtr<ITypeLib> LoadOwnTypeLibrary(const pal::WideString& path, HRESULT& hr)
{
    pal::ComPtr<ITypeLib> library;
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.ReleaseAndGetAddressOf());
    return library;
}

HRESULT RegisterTypeLibrary(bool perUser)
{
    pal::WideString path = orvana::ThisModulePath();
    HRESULT hr = S_OK;
    const pal::ComPtr<ITypeLib> library = LoadOwnTypeLibrary(path, hr);
    if (FAILED(hr)) return hr;
    return perUser ? RegisterTypeLibForUser(library.Get(), path.data(), nullptr)
                   : RegisterTypeLib(library.Get(), path.data(), nullptr);
}

// The library's identity comes from the library itself, as the system would
// read it from the module's compiled resource.
HRESULT UnregisterTypeLibrary(bool perUser)
{
    HRESULT hr = S_OK;
    const pal::ComPtr<ITypeLib> library = LoadOwnTypeLibrary(orvana::ThisModulePath(), hr);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    if (FAILED(hr = library->GetLibAttr(&attributes))) return hr;
    const TLIBATTR lib = *attributes;
    library->ReleaseTLibAttr(attributes);
    return perUser ? UnRegisterTypeLibForUser(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind)
                   : UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind);
}

} // namespace

CZenfolioModule* CZenfolioModule::Instance() noexcept
{
    return g_instance.load(std::memory_order_acquire);
}

CZenfolioModule::CZenfolioModule()
    : objectMap_{{
          {&CLSID_ZenfolioPublisher, kPublisherScript, &pal::CreateComObject<CZenfolioPublisher>, {}},
          {&CLSID_ZenfolioProxy, kProxyScript, &pal::CreateComObject<CZenfolioProxy>, {}},
      }}
{
    g_instance.store(this, std::memory_order_release);
}

CZenfolioModule::~CZenfolioModule()
{
    g_instance.store(nullptr, std::memory_order_release);
    HostEventReporterHolder::Release();
    for (auto& entry : objectMap_)
        entry.factory.Reset();
}

HRESULT CZenfolioModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    for (auto& entry : objectMap_) {
        if (*entry.clsid != rclsid) continue;
        pal::ComPtr<IClassFactory> factory;
        {
            std::lock_guard lock(mutex_);
            if (!entry.factory) {
                auto* created = new (std::nothrow) pal::ClassFactory(entry.create);
                if (!created) return E_OUTOFMEMORY;
                entry.factory = pal::ComPtr<IClassFactory>(created);
            }
            factory = entry.factory;
        }
        return factory->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CZenfolioModule::CanUnloadNow() const noexcept
{
    return pal::ModuleLock::Count() == 0 ? S_OK : S_FALSE;
}

HRESULT CZenfolioModule::RunScript(UINT id, bool registering) const
{
    pal::WideString script;
    if (HRESULT hr = LoadScript(id, script); FAILED(hr)) return hr;
    const pal::ReplacementMap replacements{
        {W("MODULE"), orvana::ThisModulePath()},
        {W("APPID"), pal::GuidToString(APPID_OrvanaPublishToZenfolio)},
    };
    return pal::RunRegistryScript(script, registering, replacements,
                                  perUser_ ? &pal::PerUserClassesRedirect() : nullptr);
}

HRESULT CZenfolioModule::RegisterServer()
{
    pal::ScopedThreadLocale systemLocale(LOCALE_SYSTEM_DEFAULT);
    if (HRESULT hr = RunScript(kModuleScript, true); FAILED(hr)) return hr;
    for (const auto& entry : objectMap_)
        if (HRESULT hr = RunScript(entry.registryScript, true); FAILED(hr)) return hr;
    return RegisterTypeLibrary(perUser_);
}

HRESULT CZenfolioModule::UnregisterServer()
{
    pal::ScopedThreadLocale systemLocale(LOCALE_SYSTEM_DEFAULT);
    for (const auto& entry : objectMap_)
        if (HRESULT hr = RunScript(entry.registryScript, false); FAILED(hr)) return hr;
    // A type library that cannot be removed, even one already gone, is reported, but the module's own
    // entries still go.
    const HRESULT typeLibrary = UnregisterTypeLibrary(perUser_);
    const HRESULT module = RunScript(kModuleScript, false);
    return FAILED(typeLibrary) ? typeLibrary : module;
}

HRESULT CZenfolioModule::Install(BOOL install, LPCWSTR commandLine)
{
    if (commandLine && pal::EqualsIgnoringCase(commandLine, W("user")))
        perUser_ = true; // never turned off again in this process
    if (!install) return UnregisterServer();
    const HRESULT hr = RegisterServer();
    if (FAILED(hr)) UnregisterServer(); // leave nothing half-registered
    return hr;
}
