// The built component module, loaded by path as the system's object creation
// loads it, with its five exports.
#pragma once

#include "pal/com/guid.h"
#include "pal/resources/module_file.h"

#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace testing_support {

inline std::string ComponentPath()
{
    return ORVANA_COMPONENT_PATH;
}

class ComponentModule {
  public:
    ComponentModule() : handle_(dlopen(ORVANA_COMPONENT_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_) throw std::runtime_error(std::string("cannot load the component: ") + dlerror());
    }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const
    {
        return Export<HRESULT (*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, ppv);
    }
    HRESULT CanUnloadNow() const { return Export<HRESULT (*)()>("DllCanUnloadNow")(); }
    HRESULT RegisterServer() const { return Export<HRESULT (*)()>("DllRegisterServer")(); }
    HRESULT UnregisterServer() const { return Export<HRESULT (*)()>("DllUnregisterServer")(); }
    HRESULT Install(BOOL install, LPCWSTR commandLine) const
    {
        return Export<HRESULT (*)(BOOL, LPCWSTR)>("DllInstall")(install, commandLine);
    }

  private:
    template <typename F> F Export(const char* name) const
    {
        void* symbol = dlsym(handle_.get(), name);
        if (!symbol) throw std::runtime_error(std::string("missing export ") + name);
        return reinterpret_cast<F>(symbol);
    }
    pal::LibraryHandle handle_;
};

} // namespace testing_support
