#include "contract/host_event_reporter_holder.h"

#include "contract/host_interfaces.h"
#include "pal/com_ptr.h"

#include <mutex>
#include <objbase.h>

namespace {
std::mutex g_mutex;
pal::ComPtr<IHostEventReporter> g_reporter;
} // namespace

void HostEventReporterHolder::EnsureCreated() noexcept
{
    std::lock_guard lock(g_mutex);
    if (g_reporter) return;
    CoCreateInstance(CLSID_HostEventReporter, nullptr, CLSCTX_ALL, IID_IHostEventReporter,
                     g_reporter.ReleaseAndGetVoidAddress());
}

void HostEventReporterHolder::Release() noexcept
{
    pal::ComPtr<IHostEventReporter> released;
    std::lock_guard lock(g_mutex);
    released.Swap(g_reporter);
}

bool HostEventReporterHolder::Exists() noexcept
{
    std::lock_guard lock(g_mutex);
    return static_cast<bool>(g_reporter);
}

void HostEventReporterHolder::Report(LPCWSTR source, LPCWSTR event, ULONG count) noexcept
{
    pal::ComPtr<IHostEventReporter> reporter;
    {
        std::lock_guard lock(g_mutex);
        reporter = g_reporter;
    }
    if (reporter) reporter->ReportEvent(source, event, count);
}
