// Joins the multithreaded apartment for the life of a command.
#pragma once

#include "pal/com/activation.h"
#include "pal/hresult_error.h"

namespace host {

class ComApartment {
  public:
    ComApartment() { pal::ThrowIfFailed(CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

} // namespace host
