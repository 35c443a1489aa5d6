// The module object: the object map, cached class factories, registration and
// the per-user flag. One per process, alive while the module is loaded.
#pragma once

#include "pal/class_factory.h"
#include "pal/com_ptr.h"

#include <array>
#include <mutex>

class CZenfolioModule {
  public:
    static CZenfolioModule* Instance() noexcept; // null once the module is torn down

    CZenfolioModule();
    ~CZenfolioModule();
    CZenfolioModule(const CZenfolioModule&) = delete;
    CZenfolioModule& operator=(const CZenfolioModule&) = delete;

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    HRESULT CanUnloadNow() const noexcept;
    HRESULT RegisterServer();
    HRESULT UnregisterServer();
    HRESULT Install(BOOL install, LPCWSTR commandLine);

    bool PerUser() const noexcept { return perUser_; }

  private:
    struct ObjectMapEntry {
        const CLSID* clsid;
        UINT registryScript;
        pal::CreateInstanceFunction create;
        pal::ComPtr<IClassFactory> factory; // created on first request
    };

    // Loads and runs one registration script; throws its first failure.
    void RunScript(UINT id, bool registering) const;

    std::mutex mutex_;
    std::array<ObjectMapEntry, 2> objectMap_;
    bool perUser_ = false;
};
