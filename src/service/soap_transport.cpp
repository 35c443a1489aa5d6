#include "service/soap_transport.h"

#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
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
// the client-side ones. None at all throws E_NOINTERFACE.
pal::ComPtr<IXMLHTTPRequest> CreateHttpRequest()
{
    static constexpr const CLSID* kClasses[] = {
        &CLSID_ServerXMLHTTP60, &CLSID_ServerXMLHTTP40, &CLSID_ServerXMLHTTP30, &CLSID_ServerXMLHTTP, &CLSID_XMLHTTP60,
        &CLSID_XMLHTTP40,       &CLSID_XMLHTTP30,       &CLSID_XMLHTTP26,       &CLSID_XMLHTTP,
    };
    pal::ComPtr<IXMLHTTPRequest> request;
    for (const CLSID* clsid : kClasses)
        if (SUCCEEDED(
                CoCreateInstance(*clsid, nullptr, CLSCTX_ALL, IID_IXMLHTTPRequest, request.ReleaseAndGetVoidAddress())))
            return request;
    throw pal::HResultError(E_NOINTERFACE);
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

// Every step after the request object exists. Each throws with its own code,
// which SendSoapRequest turns into E_FAIL.
pal::ComPtr<IXMLDOMDocument2> Post(IXMLHTTPRequest* http, IXMLDOMDocument2* request, const SoapClient& client)
{
    pal::ComPtr<IXMLDOMNode> body, method;
    pal::ThrowIfFailed(request->selectSingleNode(pal::Bstr(kBodyPath).Get(), body.ReleaseAndGetAddressOf()));
    if (!body) throw pal::HResultError(E_FAIL);
    pal::ThrowIfFailed(body->get_firstChild(method.ReleaseAndGetAddressOf()));
    if (!method) throw pal::HResultError(E_FAIL);
    pal::Bstr methodName;
    pal::ThrowIfFailed(method->get_nodeName(methodName.ReleaseAndGetAddressOf()));

    pal::Variant synchronous, none;
    synchronous.vt = VT_BOOL;
    synchronous.boolVal = VARIANT_FALSE;
    pal::ThrowIfFailed(
        http->open(pal::Bstr(W("POST")).Get(), pal::Bstr(kServiceEndpoint).Get(), synchronous, none, none));

    const auto& v = client.fileVersion;
    const pal::WideString agent = pal::FormatWide(W("Orvana/%d.%d.%d.%d"), int{v[0]}, int{v[1]}, int{v[2]}, int{v[3]});
    const pal::WideString action = pal::WideString(kServiceNamespace) + W("/") + methodName.Str();
    pal::ThrowIfFailed(SetHeader(http, W("User-Agent"), agent.c_str()));
    pal::ThrowIfFailed(SetHeader(http, W("Content-Type"), W("text/xml; charset=utf-8")));
    pal::ThrowIfFailed(SetHeader(http, W("Accept"), W("text/xml")));
    pal::ThrowIfFailed(SetHeader(http, W("Accept-Language"), W("*")));
    pal::ThrowIfFailed(SetHeader(http, W("SOAPAction"), action.c_str()));
    {
        // The plain texts are wiped as soon as the header holds them.
        const UnscrambledText name(ClientHeaderName());
        const UnscrambledText value(ClientHeaderValue());
        if (!name.Get() || !value.Get()) throw pal::HResultError(E_OUTOFMEMORY);
        pal::ThrowIfFailed(SetHeader(http, name.Get(), value.Get()));
    }
    if (!client.token.empty()) pal::ThrowIfFailed(SetHeader(http, W("X-Zenfolio-Token"), client.token.c_str()));

    pal::Variant text;
    text.vt = VT_BSTR;
    pal::ThrowIfFailed(request->get_xml(&text.bstrVal));

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
    pal::ThrowIfFailed(sent);

    pal::ComPtr<IDispatch> responseXml;
    pal::ComPtr<IXMLDOMDocument2> document;
    pal::ThrowIfFailed(http->get_responseXML(responseXml.ReleaseAndGetAddressOf()));
    if (!responseXml) throw pal::HResultError(E_FAIL);
    pal::ThrowIfFailed(responseXml.As(document));
    BindSelectionNamespaces(document.Get());
    return document;
}

} // namespace

pal::ComPtr<IXMLDOMDocument2> SendSoapRequest(IXMLDOMDocument2* request, const SoapClient& client)
{
    if (!request) throw pal::HResultError(E_INVALIDARG);
    const pal::ComPtr<IXMLHTTPRequest> http = CreateHttpRequest();
    try {
        return Post(http.Get(), request, client);
    } catch (const pal::HResultError&) {
        // Which step failed tells the caller nothing it could act on.
        throw pal::HResultError(E_FAIL);
    }
}

} // namespace orvana
