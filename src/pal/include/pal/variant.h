// Owning VARIANT: cleared on every path.
#pragma once

#include <oleauto.h>

namespace pal {

// Owning VARIANT.
class Variant : public VARIANT {
  public:
    Variant() noexcept { VariantInit(this); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

} // namespace pal
