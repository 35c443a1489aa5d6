// Posting SOAP requests to the service's endpoint through the platform's
// server-side XML HTTP request object, with the client's fixed headers, the
// login token when one is held, and the user's proxy.
#pragma once

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

// S_OK: a reply document arrived with status 200; S_FALSE: a reply document
// with another status; E_NOINTERFACE: no HTTP request class; E_FAIL: anything else.
HRESULT SendSoapRequest(IXMLDOMDocument2* request, const SoapClient& client, IXMLDOMDocument2** reply);

// Sends and reduces the reply to its result element; a fault is E_FAIL.
HRESULT CallServiceMethod(IXMLDOMDocument2* request, const SoapClient& client, IXMLDOMNode** result);

} // namespace orvana
