#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "service/soap_document.h"
#include "service/soap_transport.h"

namespace orvana {

pal::ComPtr<IXMLDOMNode> CallServiceMethod(IXMLDOMDocument2* request, const SoapClient& client)
{
    const pal::ComPtr<IXMLDOMDocument2> reply = SendSoapRequest(request, client);
    bool fault = false;
    pal::ComPtr<IXMLDOMNode> element = ExtractResult(reply.Get(), fault);
    if (fault) throw pal::HResultError(E_FAIL);
    return element; // keeps the reply document alive
}

} // namespace orvana
