#include "host/module_library.h"

#include <dlfcn.h>
#include <stdexcept>

namespace host {

ModuleLibrary::ModuleLibrary(const std::filesystem::path& path) : handle_(nullptr), path_(path)
{
    handle_ = dlopen(std::filesystem::absolute(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(std::string("cannot load ") + path.string() + ": " + dlerror());
}

// Kept loaded: objects created from it may still be alive in the process's class tables.
ModuleLibrary::~ModuleLibrary() = default;

void* ModuleLibrary::Symbol(const char* name) const
{
    void* symbol = dlsym(handle_, name);
    if (!symbol) throw std::runtime_error(path_.string() + " does not export " + name);
    return symbol;
}

HRESULT ModuleLibrary::RegisterServer() const
{
    return reinterpret_cast<HRESULT (*)()>(Symbol("DllRegisterServer"))();
}

HRESULT ModuleLibrary::UnregisterServer() const
{
    return reinterpret_cast<HRESULT (*)()>(Symbol("DllUnregisterServer"))();
}

HRESULT ModuleLibrary::Install(BOOL install, LPCWSTR commandLine) const
{
    return reinterpret_cast<HRESULT (*)(BOOL, LPCWSTR)>(Symbol("DllInstall"))(install, commandLine);
}

std::filesystem::path ModuleLibrary::DefaultComponentPath()
{
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return self.parent_path().parent_path() / "lib" / "Orvana.Publishing.Plugin.Zenfolio.so";
}

} // namespace host
