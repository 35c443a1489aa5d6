// The objects behind the XML HTTP request classes: one synchronous exchange
// per open/send, over libcurl. The server-side kind offers time-outs and an
// explicit proxy; the client-side kind always takes the user's proxy settings.
//
// readyState is 0 (created or aborted), 1 (opened; also after a failed send,
// which may be retried) or 4 (reply received). Calls are serialised: a call
// from another thread (abort() included) waits for a send in progress.
#pragma once

#include "http_transfer.h"
#include "internet_handle.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "xml_http.h"

#include <mutex>

namespace pal::http {

class XmlHttpRequest : public ComObjectRoot, public IServerXMLHTTPRequest2 {
  public:
    // The layer's own objects pin no module.
    static constexpr bool kLocksModule = false;

    // No type information: callers bind to the interfaces directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    HRESULT STDMETHODCALLTYPE open(BSTR bstrMethod, BSTR bstrUrl, VARIANT varAsync, VARIANT bstrUser,
                                   VARIANT bstrPassword) override;
    HRESULT STDMETHODCALLTYPE setRequestHeader(BSTR bstrHeader, BSTR bstrValue) override;
    HRESULT STDMETHODCALLTYPE getResponseHeader(BSTR bstrHeader, BSTR* pbstrValue) override;
    HRESULT STDMETHODCALLTYPE getAllResponseHeaders(BSTR* pbstrHeaders) override;
    HRESULT STDMETHODCALLTYPE send(VARIANT varBody) override;
    HRESULT STDMETHODCALLTYPE abort() override;
    HRESULT STDMETHODCALLTYPE get_status(LONG* plStatus) override;
    HRESULT STDMETHODCALLTYPE get_statusText(BSTR* pbstrStatus) override;
    HRESULT STDMETHODCALLTYPE get_responseXML(IDispatch** ppBody) override;
    HRESULT STDMETHODCALLTYPE get_responseText(BSTR* pbstrBody) override;
    HRESULT STDMETHODCALLTYPE get_readyState(LONG* plState) override;

    HRESULT STDMETHODCALLTYPE setTimeouts(LONG resolveTimeout, LONG connectTimeout, LONG sendTimeout,
                                          LONG receiveTimeout) override;
    HRESULT STDMETHODCALLTYPE setProxy(SXH_PROXY_SETTING proxySetting, VARIANT varProxyServer,
                                       VARIANT varBypassList) override;

  protected:
    explicit XmlHttpRequest(bool serverSide) noexcept : serverSide_(serverSide) {}

  private:
    static constexpr LONG kUninitialized = 0;
    static constexpr LONG kOpened = 1;
    static constexpr LONG kCompleted = 4;

    void ResetLocked() noexcept;
    std::string ProxyFor(const std::u16string& url) const;
    std::u16string ResponseTextLocked() const;

    const bool serverSide_;
    mutable std::mutex mutex_;
    LONG readyState_ = kUninitialized;

    std::string method_;
    std::u16string url_;
    std::vector<std::pair<std::string, std::string>> headers_;
    std::optional<std::string> user_;
    std::optional<std::string> password_;

    TransferResponse response_;
    ComPtr<IDispatch> responseXml_;

    Timeouts timeouts_;
    SXH_PROXY_SETTING proxySetting_ = SXH_PROXY_SET_DEFAULT;
    std::u16string proxyList_;
    std::u16string bypassList_;
};

// ServerXMLHTTP: IXMLHTTPRequest, IServerXMLHTTPRequest and IServerXMLHTTPRequest2.
class ServerXmlHttpRequest : public XmlHttpRequest {
  public:
    using Interfaces = InterfaceList<IServerXMLHTTPRequest2, IServerXMLHTTPRequest, IXMLHTTPRequest, IDispatch>;
    ServerXmlHttpRequest() noexcept : XmlHttpRequest(true) {}
};

// XMLHTTP: IXMLHTTPRequest only.
class ClientXmlHttpRequest : public XmlHttpRequest {
  public:
    using Interfaces = InterfaceList<IXMLHTTPRequest, IDispatch>;
    ClientXmlHttpRequest() noexcept : XmlHttpRequest(false) {}
};

} // namespace pal::http
