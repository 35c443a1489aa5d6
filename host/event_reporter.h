// HostEventReporter: the host maker's usage-event sink. Each event is appended
// to a log file under the prefix, one line per event.
#pragma once

#include "contract/host_interfaces.h"
#include "pal/object.h"

#include <filesystem>

namespace host {

class EventReporter : public pal::ComObjectRoot, public IHostEventReporter {
  public:
    using Interfaces = pal::InterfaceList<IHostEventReporter>;

    static std::filesystem::path LogFile();

    HRESULT STDMETHODCALLTYPE ReportEvent(LPCWSTR lpszSource, LPCWSTR lpszEvent, ULONG dwCount) override;
};

} // namespace host
