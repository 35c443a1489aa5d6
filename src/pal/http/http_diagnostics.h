// A trace of the layer's HTTP exchanges that a host switches on, as a
// system-wide HTTP trace would be: the last exchange of the process, kept so
// the host can say what a server answered when a call on top of it failed.
// Off by default; callers of the request objects see no difference either way.
#pragma once

#include "../base/types.h"

#include <cstddef>
#include <optional>
#include <string>

namespace pal::http {

// The reply body is cut to this many bytes: enough for a SOAP fault or an
// error page's head.
inline constexpr std::size_t kDiagnosticBodyBytes = 4096;

struct ExchangeRecord {
    std::string method;
    std::string url;
    // S_OK when a reply came back; otherwise the transport failure, and no status.
    HRESULT result = S_OK;
    long status = 0;
    std::string statusText;
    std::string contentType;
    std::string body; // the start of the reply body
};

void SetDiagnostics(bool on) noexcept;
bool DiagnosticsOn() noexcept;
// The last exchange recorded since diagnostics were switched on; nothing when none.
std::optional<ExchangeRecord> LastExchange();
void ClearLastExchange();

// Called by the transfer code after each exchange (only when DiagnosticsOn()).
void RecordExchange(ExchangeRecord record);

} // namespace pal::http
