#include "host/event_reporter.h"

#include "host/text_file.h"
#include "pal/base/prefix.h"
#include "pal/utf.h"

#include <ctime>

namespace host {

std::filesystem::path EventReporter::LogFile()
{
    return pal::PrefixDirectory() / "host" / "events.log";
}

HRESULT EventReporter::ReportEvent(LPCWSTR lpszSource, LPCWSTR lpszEvent, ULONG dwCount)
{
    try {
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        gmtime_r(&now, &utc);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
        AppendLine(LogFile(), std::string(stamp) + "\t" + pal::ToUtf8(lpszSource ? lpszSource : u"") + "\t" +
                                  pal::ToUtf8(lpszEvent ? lpszEvent : u"") + "\t" + std::to_string(dwCount));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace host
