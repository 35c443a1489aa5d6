// A plug-in module loaded by path, with its registration entry points.
#pragma once

#include "pal/base/types.h"

#include <filesystem>

namespace host {

class ModuleLibrary {
  public:
    explicit ModuleLibrary(const std::filesystem::path& path); // throws when it cannot be loaded
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    HRESULT RegisterServer() const;
    HRESULT UnregisterServer() const;
    HRESULT Install(BOOL install, LPCWSTR commandLine) const;

    // The component module built next to this program.
    static std::filesystem::path DefaultComponentPath();

  private:
    void* Symbol(const char* name) const;
    void* handle_;
    std::filesystem::path path_;
};

} // namespace host
