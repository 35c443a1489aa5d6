// The process-wide event reporter of the host's maker: at most one instance,
// created by the first Initialize that finds none and released by Terminate
// or when the module unloads. When it cannot be created nothing is reported.
#pragma once

#include <windows.h>

class HostEventReporterHolder {
  public:
    static void EnsureCreated() noexcept;
    static void Release() noexcept;
    static bool Exists() noexcept;
    static void Report(LPCWSTR source, LPCWSTR event, ULONG count) noexcept;
};
