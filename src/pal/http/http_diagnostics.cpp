#include "pal/http/http_diagnostics.h"

#include <atomic>
#include <mutex>

namespace pal::http {

namespace {

// The switch is read on every exchange, so it is a lone atomic; the record
// behind its own lock is touched only when the switch is on.
std::atomic<bool> g_on{false};

struct LastRecord {
    std::mutex mutex;
    std::optional<ExchangeRecord> record;
};

LastRecord& Last()
{
    static LastRecord last;
    return last;
}

} // namespace

void SetDiagnostics(bool on) noexcept
{
    g_on.store(on, std::memory_order_relaxed);
}

bool DiagnosticsOn() noexcept
{
    return g_on.load(std::memory_order_relaxed);
}

std::optional<ExchangeRecord> LastExchange()
{
    LastRecord& last = Last();
    std::lock_guard lock(last.mutex);
    return last.record;
}

void ClearLastExchange()
{
    LastRecord& last = Last();
    std::lock_guard lock(last.mutex);
    last.record.reset();
}

void RecordExchange(ExchangeRecord record)
{
    if (record.body.size() > kDiagnosticBodyBytes) record.body.resize(kDiagnosticBodyBytes);
    LastRecord& last = Last();
    std::lock_guard lock(last.mutex);
    last.record = std::move(record);
}

} // namespace pal::http
