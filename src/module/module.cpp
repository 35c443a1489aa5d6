#include "module.h"

#include "contract/host_event_reporter_holder.h"
#include "contract/orvana_publishing.h"
#include "contract/version_block.h"
#include "pal/com_ptr.h"
#include "pal/compare.h"
#include "pal/guid_text.h"
#include "pal/hresult_error.h"
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

pal::WideString LoadScript(UINT id)
{
    HINSTANCE module = pal::ThisModule();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), W("REGISTRY"));
    if (!resource) throw pal::HResultError(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    if (!bytes) throw pal::HResultError(HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND));
    return pal::ToUtf16(std::string_view(bytes, SizeofResource(module, resource)));
}

pal::ComPtr<ITypeLib> LoadOwnTypeLibrary(const pal::WideString& path)
{
    pal::ComPtr<ITypeLib> library;
    pal::ThrowIfFailed(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.ReleaseAndGetAddressOf()));
    return library;
}

void RegisterTypeLibrary(bool perUser)
{
    pal::WideString path = orvana::ThisModulePath();
    const pal::ComPtr<ITypeLib> library = LoadOwnTypeLibrary(path);
    pal::ThrowIfFailed(perUser ? RegisterTypeLibForUser(library.Get(), path.data(), nullptr)
                               : RegisterTypeLib(library.Get(), path.data(), nullptr));
}

// The library's identity comes from the library itself, as the system would
// read it from the module's compiled resource.
void UnregisterTypeLibrary(bool perUser)
{
    const pal::ComPtr<ITypeLib> library = LoadOwnTypeLibrary(orvana::ThisModulePath());
    TLIBATTR* attributes = nullptr;
    pal::ThrowIfFailed(library->GetLibAttr(&attributes));
    const TLIBATTR lib = *attributes;
    library->ReleaseTLibAttr(attributes);
    pal::ThrowIfFailed(
        perUser ? UnRegisterTypeLibForUser(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind)
                : UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind));
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

void CZenfolioModule::RunScript(UINT id, bool registering) const
{
    const pal::WideString script = LoadScript(id);
    const pal::ReplacementMap replacements{
        {W("MODULE"), orvana::ThisModulePath()},
        {W("APPID"), pal::GuidToString(APPID_OrvanaPublishToZenfolio)},
    };
    pal::ThrowIfFailed(
        pal::RunRegistryScript(script, registering, replacements, perUser_ ? &pal::PerUserClassesRedirect() : nullptr));
}

HRESULT CZenfolioModule::RegisterServer()
{
    return pal::Boundary([&] {
        pal::ScopedThreadLocale systemLocale(LOCALE_SYSTEM_DEFAULT);
        RunScript(kModuleScript, true);
        for (const auto& entry : objectMap_)
            RunScript(entry.registryScript, true);
        RegisterTypeLibrary(perUser_);
        return S_OK;
    });
}

HRESULT CZenfolioModule::UnregisterServer()
{
    return pal::Boundary([&] {
        pal::ScopedThreadLocale systemLocale(LOCALE_SYSTEM_DEFAULT);
        for (const auto& entry : objectMap_)
            RunScript(entry.registryScript, false);
        // A type library that cannot be removed, even one already gone, is reported, but the module's own
        // entries still go; their failure is the answer only when the type library went.
        const HRESULT typeLibrary = pal::Boundary([&] {
            UnregisterTypeLibrary(perUser_);
            return S_OK;
        });
        const HRESULT module = pal::Boundary([&] {
            RunScript(kModuleScript, false);
            return S_OK;
        });
        return FAILED(typeLibrary) ? typeLibrary : module;
    });
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
