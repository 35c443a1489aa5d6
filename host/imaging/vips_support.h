// libvips for the host's imaging: started once per process with a small
// operation cache and its warnings kept off standard error, and an owner for
// its images.
#pragma once

#include <memory>
#include <vips/vips.h>

namespace host::imaging {

struct VipsObjectUnref {
    void operator()(void* object) const noexcept { g_object_unref(object); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsObjectUnref>;
using VipsSourcePtr = std::unique_ptr<VipsSource, VipsObjectUnref>;

// A source reading the file as it is named: libvips would read options out of
// brackets in a file name ("photo[1].jpg"), a source takes the name as it is.
VipsSourcePtr OpenVipsSource(const char* path);

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
