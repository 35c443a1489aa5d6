#include "pal/resources/module_file.h"
#include "pal/resources/module_table.h"
#include "pal/utf.h"

#include <algorithm>
#include <dlfcn.h>
#include <link.h>
#include <new>
#include <system_error>

namespace pal {

namespace fs = std::filesystem;

namespace {

fs::path ExecutableFile()
{
    std::error_code ec;
    fs::path file = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : file;
}

// Link map of the object that holds an address, or null.
link_map* MapHolding(const void* address)
{
    Dl_info info{};
    link_map* map = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) return nullptr;
    return map;
}

// The table exported by exactly this library. dlsym also searches the library's
// dependencies, so a table found there belongs to another module and is refused.
HINSTANCE TableOf(void* library)
{
    link_map* own = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 || !own) return nullptr;
    void* symbol = dlsym(library, kModuleResourcesSymbol);
    if (!symbol || MapHolding(symbol) != own) return nullptr;
    const auto entry = reinterpret_cast<decltype(&PalModuleResources)>(symbol);
    return reinterpret_cast<HINSTANCE>(const_cast<ModuleResources*>(entry()));
}

bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, ec) && !ec;
}

} // namespace

void LibraryCloser::operator()(void* library) const noexcept
{
    dlclose(library);
}

HINSTANCE MainProgram() noexcept
{
    static const HINSTANCE program = [] {
        LibraryHandle self{dlopen(nullptr, RTLD_LAZY)};
        return self ? TableOf(self.get()) : nullptr;
    }();
    return program;
}

const ModuleResources& ResourcesOf(HINSTANCE module) noexcept
{
    static constexpr ModuleResources kEmpty{};
    if (!module) module = MainProgram();
    return module ? *reinterpret_cast<const ModuleResources*>(module) : kEmpty;
}

fs::path FileOfModule(HINSTANCE module)
{
    if (!module) return ExecutableFile();
    const link_map* map = MapHolding(module);
    if (!map) return {};
    // The main program's map has no name; dladdr would answer argv[0].
    if (!map->l_name || !*map->l_name) return ExecutableFile();
    std::error_code ec;
    fs::path file = fs::absolute(map->l_name, ec);
    return ec ? fs::path() : file;
}

ModuleLease LeaseModule(const fs::path& path)
{
    ModuleLease lease;
    std::error_code ec;
    // Absolute, so dlopen never searches the library path for a bare name.
    const fs::path file = path.empty() ? path : fs::absolute(path, ec);
    if (file.empty() || ec) return lease;
    if (SameFile(file, ExecutableFile())) {
        // The main program answers only when it exports its table.
        lease.module = MainProgram();
        return lease;
    }
    const std::string name = file.string();
    // Already loaded: our reference is dropped again, the module stays as it was.
    if (LibraryHandle loaded{dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD)}) {
        lease.module = TableOf(loaded.get());
        return lease;
    }
    LibraryHandle library{dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)};
    if (!library) return lease;
    lease.module = TableOf(library.get());
    if (lease.module) lease.library = std::move(library);
    return lease;
}

HINSTANCE ModuleFromPath(std::u16string_view path)
{
    ModuleLease lease = LeaseModule(fs::path(ToUtf8(path)));
    // Like LoadLibrary without FreeLibrary: a module loaded here stays loaded.
    static_cast<void>(lease.library.release());
    return lease.module;
}

} // namespace pal

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize)
{
    if (!lpFilename || nSize == 0) return 0;
    std::u16string name;
    try {
        name = pal::ToUtf16(pal::FileOfModule(hModule).string());
    } catch (const std::bad_alloc&) {
        name.clear();
    }
    if (name.empty()) {
        lpFilename[0] = u'\0';
        return 0;
    }
    // Too small: cut to nSize - 1 characters and answer nSize, as Windows does.
    const std::size_t copied = std::min<std::size_t>(name.size(), nSize - 1);
    std::copy_n(name.data(), copied, lpFilename);
    lpFilename[copied] = u'\0';
    return copied < name.size() ? nSize : static_cast<DWORD>(copied);
}
