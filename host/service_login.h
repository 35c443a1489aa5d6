// What the service commands share: the password file, the component's own
// proxy object, the login, and the report of a failed call.
#pragma once

#include "contract/orvana_publishing.h"
#include "pal/com_ptr.h"

#include <string>

namespace host {

// The file's first line. Throws std::runtime_error when it cannot be read or is empty.
std::string ReadPasswordFile(const std::string& file);

// Creates CZenfolioProxy through the class table, as the publisher does, and
// logs in. The caller holds the apartment and the host's classes. A failure is
// reported on standard error (ReportFailure) and answers null.
pal::ComPtr<IZenfolioProxy> CreateProxyAndLogIn(const std::string& user, const std::string& passwordFile);
// The same with the password itself, which is wiped once used.
pal::ComPtr<IZenfolioProxy> CreateProxyAndLogIn(const std::string& user, std::u16string&& password);

// Prints "orvana-host: WHAT failed: HRESULT 0x…" and what the service
// answered in the last exchange; answers the exit status 1.
int ReportFailure(const std::string& what, HRESULT hr);

} // namespace host
