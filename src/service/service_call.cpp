#include "pal/com_ptr.h"
#include "service/soap_document.h"
#include "service/soap_transport.h"

namespace orvana {

HRESULT CallServiceMethod(IXMLDOMDocument2* request, const SoapClient& client, IXMLDOMNode** result)
{
    if (!result) return E_POINTER;
    pal::ComPtr<IXMLDOMDocument2> reply;
    const HRESULT sent = SendSoapRequest(request, client, reply.ReleaseAndGetAddressOf());
    if (FAILED(sent)) return sent;
    pal::ComPtr<IXMLDOMNode> element;
    bool fault = false;
    const HRESULT hr = ExtractResult(reply.Get(), element.ReleaseAndGetAddressOf(), fault);
    if (fault) return E_FAIL;
    if (SUCCEEDED(hr)) *result = element.Detach(); // keeps the reply document alive
    return hr;
}

} // namespace orvana
