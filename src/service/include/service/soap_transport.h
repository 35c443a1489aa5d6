// Posting SOAP requests to the service's endpoint through the platform's
// server-side XML HTTP request object, with the client's fixed headers, the
// login token when one is held, and the user's proxy.
#pragma once

#include "pal/com_ptr.h"
#include "pal/wide_string.h"

#include <array>
#include <msxml6.h>
#include <string>

namespace orvana {

inline constexpr WCHAR kServiceEndpoint[] = W("http://api.zenfolio.com/api/1.6/zfapi.asmx");

// What every request of one proxy object carries.
struct SoapClient {
    std::array<WORD, 4> fileVersion{}; // for the User-Agent header
    pal::WideString token;             // "X-Zenfolio-Token" when not empty
};

// The reply document, whatever the HTTP status: a fault comes with one of its
// own and the reply tells. Throws E_NOINTERFACE when there is no HTTP request
// class and E_FAIL when anything else fails.
pal::ComPtr<IXMLDOMDocument2> SendSoapRequest(IXMLDOMDocument2* request, const SoapClient& client);

// Sends and reduces the reply to its result element, null when the reply has
// none; a fault throws E_FAIL.
pal::ComPtr<IXMLDOMNode> CallServiceMethod(IXMLDOMDocument2* request, const SoapClient& client);

} // namespace orvana
