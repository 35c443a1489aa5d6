// Finding a module by its file and a module's file: the link between an
// HINSTANCE (the address of a resource table) and the dynamic loader.
#pragma once

#include "resources.h"

#include <filesystem>
#include <memory>

namespace pal {

struct LibraryCloser {
    void operator()(void* library) const noexcept;
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

// A module found by path. When the module had to be loaded for the lookup,
// `library` holds it; it is unloaded when the lease ends unless released.
struct ModuleLease {
    HINSTANCE module = nullptr;
    LibraryHandle library;
};

ModuleLease LeaseModule(const std::filesystem::path& file);

// The absolute path of a module's file; empty when the address is in no module.
// A null module names the main program.
std::filesystem::path FileOfModule(HINSTANCE module);

} // namespace pal
