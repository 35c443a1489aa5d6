// The XML HTTP request objects the component posts SOAP with: the server-side
// kind (with setProxy) and the client-side kind (without), under the class
// identifiers the component tries in turn.
#pragma once

#include "../xml/msxml.h"

// Asked for a reply that has not arrived (before a successful send).

struct IXMLHTTPRequest : IDispatch {
    // Synchronous only: varAsync must be false (missing means true); E_NOTIMPL otherwise.
    virtual HRESULT STDMETHODCALLTYPE open(BSTR bstrMethod, BSTR bstrUrl, VARIANT varAsync, VARIANT bstrUser,
                                           VARIANT bstrPassword) = 0;
    virtual HRESULT STDMETHODCALLTYPE setRequestHeader(BSTR bstrHeader, BSTR bstrValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE getResponseHeader(BSTR bstrHeader, BSTR* pbstrValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE getAllResponseHeaders(BSTR* pbstrHeaders) = 0;
    // A VT_BSTR body goes out UTF-8 encoded.
    virtual HRESULT STDMETHODCALLTYPE send(VARIANT varBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE abort() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_status(LONG* plStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_statusText(BSTR* pbstrStatus) = 0;
    // A DOM document (IXMLDOMDocument2 by QueryInterface) parsed from the reply.
    virtual HRESULT STDMETHODCALLTYPE get_responseXML(IDispatch** ppBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_responseText(BSTR* pbstrBody) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_readyState(LONG* plState) = 0;

  protected:
    ~IXMLHTTPRequest() = default;
};

enum SXH_PROXY_SETTING : LONG {
    SXH_PROXY_SET_DEFAULT = 0,
    SXH_PROXY_SET_PRECONFIG = 0,
    SXH_PROXY_SET_DIRECT = 1,
    SXH_PROXY_SET_PROXY = 2
};

struct IServerXMLHTTPRequest : IXMLHTTPRequest {
    virtual HRESULT STDMETHODCALLTYPE setTimeouts(LONG resolveTimeout, LONG connectTimeout, LONG sendTimeout,
                                                  LONG receiveTimeout) = 0;

  protected:
    ~IServerXMLHTTPRequest() = default;
};

struct IServerXMLHTTPRequest2 : IServerXMLHTTPRequest {
    // A VT_BSTR list of proxies ("host:port" separated by ";" or spaces) and bypass list, or VT_NULL/VT_EMPTY.
    virtual HRESULT STDMETHODCALLTYPE setProxy(SXH_PROXY_SETTING proxySetting, VARIANT varProxyServer,
                                               VARIANT varBypassList) = 0;

  protected:
    ~IServerXMLHTTPRequest2() = default;
};

PAL_DECLARE_IID(IXMLHTTPRequest, "ED8C108D-4349-11D2-91A4-00C04F7969E8");
PAL_DECLARE_IID(IServerXMLHTTPRequest, "2E9196BF-13BA-4DD4-91CA-6C571F281495");
PAL_DECLARE_IID(IServerXMLHTTPRequest2, "2E01311B-C322-4B0A-BD77-B90CFDC8DCE7");

// Server-side classes (with IServerXMLHTTPRequest2), newest first ...
inline constexpr CLSID CLSID_ServerXMLHTTP60 = pal::MakeGuid("88D96A0B-F192-11D4-A65F-0040963251E5");
inline constexpr CLSID CLSID_ServerXMLHTTP40 = pal::MakeGuid("88D969C6-F192-11D4-A65F-0040963251E5");
inline constexpr CLSID CLSID_ServerXMLHTTP30 = pal::MakeGuid("AFB40FFD-B609-40A3-9828-F88BBE11E4E3");
inline constexpr CLSID CLSID_ServerXMLHTTP = pal::MakeGuid("AFBA6B42-5692-48EA-8141-DC517DCF0EF1");
// ... then the client-side classes (IXMLHTTPRequest only).
inline constexpr CLSID CLSID_XMLHTTP60 = pal::MakeGuid("88D96A0A-F192-11D4-A65F-0040963251E5");
inline constexpr CLSID CLSID_XMLHTTP40 = pal::MakeGuid("88D969C5-F192-11D4-A65F-0040963251E5");
inline constexpr CLSID CLSID_XMLHTTP30 = pal::MakeGuid("F5078F35-C551-11D3-89B9-0000F81FE221");
inline constexpr CLSID CLSID_XMLHTTP26 = pal::MakeGuid("F5078F1E-C551-11D3-89B9-0000F81FE221");
inline constexpr CLSID CLSID_XMLHTTP = pal::MakeGuid("F6D90F16-9C73-11D3-B32E-00C04F990BB4");
