// The module's five exports, the only symbols it makes visible.
#include "module.h"

#define ORVANA_EXPORT extern "C" __attribute__((visibility("default")))

ORVANA_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    CZenfolioModule* module = CZenfolioModule::Instance();
    if (!module) return E_UNEXPECTED;
    return module->GetClassObject(rclsid, riid, ppv);
}

ORVANA_EXPORT HRESULT DllCanUnloadNow()
{
    CZenfolioModule* module = CZenfolioModule::Instance();
    return module ? module->CanUnloadNow() : S_OK;
}

ORVANA_EXPORT HRESULT DllRegisterServer()
{
    CZenfolioModule* module = CZenfolioModule::Instance();
    return module ? module->RegisterServer() : E_UNEXPECTED;
}

ORVANA_EXPORT HRESULT DllUnregisterServer()
{
    CZenfolioModule* module = CZenfolioModule::Instance();
    return module ? module->UnregisterServer() : E_UNEXPECTED;
}

ORVANA_EXPORT HRESULT DllInstall(BOOL bInstall, LPCWSTR pszCmdLine)
{
    CZenfolioModule* module = CZenfolioModule::Instance();
    return module ? module->Install(bInstall, pszCmdLine) : E_UNEXPECTED;
}
