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

// Takes the image an operation wrote through its out-parameter, or throws
// WINCODEC_ERR_BADIMAGE (the operation's message is dropped) when status says it failed.
VipsImagePtr TakeVipsResult(int status, VipsImage* result);

} // namespace host::imaging
