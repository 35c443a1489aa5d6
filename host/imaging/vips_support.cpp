#include "host/imaging/vips_support.h"

#include "pal/hresult_error.h"

#include <mutex>
#include <wincodec.h>

namespace host::imaging {

namespace {

// The cache keeps whole decoded pictures alive for reuse; a host renders each
// picture once, so a few entries are enough and memory stays bounded.
constexpr int kCachedOperations = 16;
constexpr size_t kCacheBytes = 16 * 1024 * 1024;

void DropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

bool StartVips()
{
    if (VIPS_INIT("orvana-host") != 0) return false;
    vips_cache_set_max(kCachedOperations);
    vips_cache_set_max_mem(kCacheBytes);
    vips_cache_set_max_files(kCachedOperations);
    // A damaged picture fails its call with an HRESULT; libvips's own warnings
    // about it would only clutter the host's standard error.
    g_log_set_handler("VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO),
                      DropMessage, nullptr);
    return true;
}

} // namespace

void EnsureVips()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] { started = StartVips(); });
    if (!started) throw pal::HResultError(E_FAIL);
}

VipsSourcePtr OpenVipsSource(const char* path)
{
    VipsSourcePtr source(vips_source_new_from_file(path));
    if (!source) {
        vips_error_clear();
        throw pal::HResultError(WINCODEC_ERR_STREAMREAD);
    }
    return source;
}

VipsImagePtr TakeVipsResult(int status, VipsImage* result)
{
    VipsImagePtr owned(result);
    if (status != 0 || !owned) {
        vips_error_clear();
        throw pal::HResultError(WINCODEC_ERR_BADIMAGE);
    }
    return owned;
}

} // namespace host::imaging
