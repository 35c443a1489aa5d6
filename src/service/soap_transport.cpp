#include "service/soap_transport.h"

#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/variant.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"
#include "proxy_settings.h"
#include "scrambled_constant.h"
#include "service/soap_document.h"

#include <msxml6.h>
#include <objbase.h>

namespace orvana {

namespace {

// The request object: server-side classes first (they take a proxy), then
// the client-side ones.
HRESULT CreateHttpRequest(pal::ComPtr<IXMLHTTPRequest>& request)
{
    static constexpr const CLSID* kClasses[] = {
        &CLSID_ServerXMLHTTP60, &CLSID_ServerXMLHTTP40, &CLSID_ServerXMLHTTP30, &CLSID_ServerXMLHTTP, &CLSID_XMLHTTP60,
        &CLSID_XMLHTTP40,       &CLSID_XMLHTTP30,       &CLSID_XMLHTTP26,       &CLSID_XMLHTTP,
    };
    for (const CLSID* clsid : kClasses)
        if (SUCCEEDED(
                CoCreateInstance(*clsid, nullptr, CLSCTX_ALL, IID_IXMLHTTPRequest, request.ReleaseAndGetVoidAddress())))
            return S_OK;
    return E_NOINTERFACE;
}

// A string argument, or a null one when there is no text.
void SetStringOrNull(VARIANT& value, LPCWSTR text)
{
    if (text) {
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(text);
    } else {
        value.vt = VT_NULL;
    }
}

HRESULT SetHeader(IXMLHTTPRequest* request, LPCWSTR name, LPCWSTR value)
{
    return request->setRequestHeader(pal::Bstr(name).Get(), pal::Bstr(value).Get());
}

HRESULT ApplyProxyToXmlHttp(const ProxySettings& settings, IServerXMLHTTPRequest2* request, const VARIANT& body)
{
    SXH_PROXY_SETTING setting = SXH_PROXY_SET_DEFAULT;
    if (settings.accessType == WINHTTP_ACCESS_TYPE_NO_PROXY) setting = SXH_PROXY_SET_DIRECT;
    if (settings.accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) setting = SXH_PROXY_SET_PROXY;
    if (settings.proxyList || settings.proxyBypass) {
        pal::Variant proxy, bypass;
        SetStringOrNull(proxy, settings.proxyList);
        SetStringOrNull(bypass, settings.proxyBypass);
        request->setProxy(setting, proxy, bypass);
    }
    return request->send(body);
}

// Every step after the request object exists: E_FAIL on any failure.
HRESULT Post(IXMLHTTPRequest* http, IXMLDOMDocument2* request, const SoapClient& client, IXMLDOMDocument2** reply)
{
    pal::ComPtr<IXMLDOMNode> body, method;
    if (FAILED(request->selectSingleNode(pal::Bstr(kBodyPath).Get(), body.ReleaseAndGetAddressOf())) || !body ||
        FAILED(body->get_firstChild(method.ReleaseAndGetAddressOf())) || !method)
        return E_FAIL;
    pal::Bstr methodName;
    if (FAILED(method->get_nodeName(methodName.ReleaseAndGetAddressOf()))) return E_FAIL;

    pal::Variant synchronous, none;
    synchronous.vt = VT_BOOL;
    synchronous.boolVal = VARIANT_FALSE;
    if (FAILED(http->open(pal::Bstr(W("POST")).Get(), pal::Bstr(kServiceEndpoint).Get(), synchronous, none, none)))
        return E_FAIL;

    const auto& v = client.fileVersion;
    const pal::WideString agent = pal::FormatWide(W("Orvana/%d.%d.%d.%d"), int{v[0]}, int{v[1]}, int{v[2]}, int{v[3]});
    const pal::WideString action = pal::WideString(kServiceNamespace) + W("/") + methodName.Str();
    bool headersSet = SUCCEEDED(SetHeader(http, W("User-Agent"), agent.c_str())) &&
                      SUCCEEDED(SetHeader(http, W("Content-Type"), W("text/xml; charset=utf-8"))) &&
                      SUCCEEDED(SetHeader(http, W("Accept"), W("text/xml"))) &&
                      SUCCEEDED(SetHeader(http, W("Accept-Language"), W("*"))) &&
                      SUCCEEDED(SetHeader(http, W("SOAPAction"), action.c_str()));
    if (headersSet) {
        const UnscrambledText name(ClientHeaderName());
        const UnscrambledText value(ClientHeaderValue());
        headersSet = name.Get() && value.Get() && SUCCEEDED(SetHeader(http, name.Get(), value.Get()));
    }
    if (headersSet && !client.token.empty())
        headersSet = SUCCEEDED(SetHeader(http, W("X-Zenfolio-Token"), client.token.c_str()));
    if (!headersSet) return E_FAIL;

    pal::Variant text;
    text.vt = VT_BSTR;
    if (FAILED(request->get_xml(&text.bstrVal))) return E_FAIL;

    pal::ComPtr<IServerXMLHTTPRequest2> server;
    HRESULT sent;
    if (SUCCEEDED(http->QueryInterface(IID_IServerXMLHTTPRequest2, server.ReleaseAndGetVoidAddress()))) {
        ProxySettings settings;
        sent = DiscoverProxy(settings, nullptr, kServiceEndpoint) == 0
                   ? ApplyProxyToXmlHttp(settings, server.Get(), text)
                   : http->send(text);
    } else {
        sent = http->send(text);
    }
    if (FAILED(sent)) return E_FAIL;

    LONG status = 0;
    pal::ComPtr<IDispatch> responseXml;
    pal::ComPtr<IXMLDOMDocument2> document;
    if (FAILED(http->get_status(&status)) || FAILED(http->get_responseXML(responseXml.ReleaseAndGetAddressOf())) ||
        !responseXml || FAILED(responseXml.As(document)) || FAILED(BindSelectionNamespaces(document.Get())))
        return E_FAIL;
    *reply = document.Detach();
    return status == 200 ? S_OK : S_FALSE;
}

} // namespace

HRESULT SendSoapRequest(IXMLDOMDocument2* request, const SoapClient& client, IXMLDOMDocument2** reply)
{
    if (!reply) return E_POINTER;
    *reply = nullptr;
    if (!request) return E_INVALIDARG;
    pal::ComPtr<IXMLHTTPRequest> http;
    if (FAILED(CreateHttpRequest(http))) return E_NOINTERFACE;
    return Post(http.Get(), request, client, reply);
}

} // namespace orvana
