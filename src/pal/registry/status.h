// Inside the registry a failing step throws the Win32 status it ends its
// Reg* call with; Guard, at each entry point, turns it back into the result.
#pragma once

#include "../base/types.h"

#include <new>

namespace pal::registry {

struct Failure {
    LSTATUS status;
};

[[noreturn]] inline void Fail(LSTATUS status)
{
    throw Failure{status};
}

template <typename Body> LSTATUS Guard(Body&& body) noexcept
{
    try {
        return body();
    } catch (const Failure& failure) {
        return failure.status;
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_INVALID_FUNCTION;
    }
}

} // namespace pal::registry
