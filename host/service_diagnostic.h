// What the service answered, for the person at the console when a call
// failed: the component passes on an HRESULT only, so the host reads the
// layer's HTTP trace (pal/http/http_diagnostics.h), which it switches on at start.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace host {

struct SoapFault {
    std::string code; // faultcode, e.g. "soap:Client"
    std::string text; // faultstring, e.g. "E_INVALIDCREDENTIALS: …"
};

// The Fault of a SOAP 1.1 envelope; nothing when the body is no envelope
// with a fault (or is cut before the fault's texts).
std::optional<SoapFault> FindSoapFault(std::string_view body);

// One or two lines on the last HTTP exchange ("the service answered HTTP 500
// …", then the fault or the start of the reply), each ending in a newline;
// empty when nothing was recorded.
std::string DescribeLastExchange();

} // namespace host
