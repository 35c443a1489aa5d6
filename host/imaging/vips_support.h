// libvips for the host's imaging: started once per process with a small
// operation cache and its warnings kept off standard error, and an owner for
// its images.
#pragma once

#include <memory>
#include <vips/vips.h>

namespace host::imaging {

struct VipsObjectUnref {
    void operator()(VipsImage* image) const noexcept { g_object_unref(image); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsObjectUnref>;

// Starts libvips on first use; safe from any thread. Throws E_FAIL when it cannot start.
void EnsureVips();

// Runs operation(VipsImage** out) and takes the image it made, or throws
// WINCODEC_ERR_BADIMAGE (its message is dropped) when it fails.
VipsImagePtr TakeVipsResult(int status, VipsImage* result);
template <typename Operation> VipsImagePtr RunVips(Operation&& operation)
{
    VipsImage* out = nullptr;
    const int status = operation(&out);
    return TakeVipsResult(status, out);
}

} // namespace host::imaging
