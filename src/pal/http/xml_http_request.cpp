#include "pal/http/xml_http_request.h"

#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/http/response_text.h"
#include "pal/proxy/proxy_list.h"
#include "pal/proxy/url_parts.h"
#include "pal/proxy/user_proxy_config.h"
#include "pal/utf.h"
#include "pal/variant.h"

#include <algorithm>

namespace pal::http {

namespace {

std::u16string_view View(BSTR text)
{
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

bool IsMissing(const VARIANT& value)
{
    return value.vt == VT_EMPTY || value.vt == VT_NULL || (value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND);
}

// An optional string argument; absent when missing or empty.
std::optional<std::u16string> OptionalString(const VARIANT& value)
{
    if (IsMissing(value)) return std::nullopt;
    Variant text;
    ThrowIfFailed(VariantChangeType(&text, &value, 0, VT_BSTR) == S_OK ? S_OK : E_INVALIDARG);
    if (SysStringLen(text.bstrVal) == 0) return std::nullopt;
    return std::u16string(View(text.bstrVal));
}

// A token of the HTTP grammar (methods and header names).
bool IsToken(std::u16string_view text)
{
    constexpr std::u16string_view kSymbols = u"!#$%&'*+-.^_`|~";
    return !text.empty() && std::all_of(text.begin(), text.end(), [&](char16_t c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               kSymbols.find(c) != std::u16string_view::npos;
    });
}

HRESULT ReturnString(std::u16string_view text, BSTR* out)
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// No limit is 0 here; WinHTTP writes it as 0 or -1.
int Limit(LONG milliseconds)
{
    return milliseconds > 0 ? static_cast<int>(milliseconds) : 0;
}

} // namespace

HRESULT XmlHttpRequest::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT XmlHttpRequest::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT XmlHttpRequest::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return DISP_E_UNKNOWNNAME;
}

HRESULT XmlHttpRequest::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT XmlHttpRequest::open(BSTR bstrMethod, BSTR bstrUrl, VARIANT varAsync, VARIANT bstrUser, VARIANT bstrPassword)
{
    return Boundary([&] {
        const std::u16string_view method = View(bstrMethod);
        const std::u16string_view url = View(bstrUrl);
        if (!IsToken(method) || url.empty()) return E_INVALIDARG;
        // Missing means asynchronous, as the interface defines; only synchronous use is offered.
        bool async = true;
        if (!(varAsync.vt == VT_EMPTY || (varAsync.vt == VT_ERROR && varAsync.scode == DISP_E_PARAMNOTFOUND))) {
            Variant flag;
            if (VariantChangeType(&flag, &varAsync, 0, VT_BOOL) != S_OK) return E_INVALIDARG;
            async = flag.boolVal != VARIANT_FALSE;
        }
        if (async) return E_NOTIMPL;
        const auto parts = SplitUrl(url);
        if (!parts) return HRESULT_FROM_WIN32(ERROR_WINHTTP_INVALID_URL);
        if (parts->scheme != u"http" && parts->scheme != u"https")
            return HRESULT_FROM_WIN32(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
        const auto user = OptionalString(bstrUser);
        const auto password = OptionalString(bstrPassword);

        const std::lock_guard lock(mutex_);
        ResetLocked();
        method_ = ToUtf8(method);
        url_ = url;
        if (user) user_ = ToUtf8(*user);
        if (password) password_ = ToUtf8(*password);
        readyState_ = kOpened;
        return S_OK;
    });
}

HRESULT XmlHttpRequest::setRequestHeader(BSTR bstrHeader, BSTR bstrValue)
{
    return Boundary([&] {
        const std::u16string_view name = View(bstrHeader);
        const std::u16string_view value = View(bstrValue);
        // A line break (or NUL) in a value would smuggle in further headers.
        if (!IsToken(name) || value.find_first_of(u"\r\n", 0, 3) != std::u16string_view::npos) return E_INVALIDARG;
        const std::lock_guard lock(mutex_);
        if (readyState_ != kOpened) return E_UNEXPECTED;
        headers_.emplace_back(ToUtf8(name), ToUtf8(value));
        return S_OK;
    });
}

HRESULT XmlHttpRequest::getResponseHeader(BSTR bstrHeader, BSTR* pbstrValue)
{
    if (!pbstrValue) return E_POINTER;
    *pbstrValue = nullptr;
    return Boundary([&] {
        if (View(bstrHeader).empty()) return E_INVALIDARG;
        const std::lock_guard lock(mutex_);
        if (readyState_ != kCompleted) return E_PENDING;
        const auto value = FindHeader(response_.headerLines, ToUtf8(View(bstrHeader)));
        if (!value) return ReturnString({}, pbstrValue) == S_OK ? S_FALSE : E_OUTOFMEMORY;
        return ReturnString(ToUtf16(*value), pbstrValue);
    });
}

HRESULT XmlHttpRequest::getAllResponseHeaders(BSTR* pbstrHeaders)
{
    if (!pbstrHeaders) return E_POINTER;
    *pbstrHeaders = nullptr;
    return Boundary([&] {
        const std::lock_guard lock(mutex_);
        if (readyState_ != kCompleted) return E_PENDING;
        std::string all;
        for (const std::string& line : response_.headerLines)
            all.append(line).append("\r\n");
        return ReturnString(ToUtf16(all), pbstrHeaders);
    });
}

HRESULT XmlHttpRequest::send(VARIANT varBody)
{
    return Boundary([&] {
        TransferRequest transfer;
        if (varBody.vt == VT_BSTR) {
            transfer.body = ToUtf8(View(varBody.bstrVal));
        } else if (!IsMissing(varBody)) {
            return E_INVALIDARG;
        }
        const std::lock_guard lock(mutex_);
        if (readyState_ != kOpened) return E_UNEXPECTED;
        transfer.method = method_;
        transfer.url = ToUtf8(url_);
        transfer.headers = headers_;
        transfer.user = user_;
        transfer.password = password_;
        transfer.proxy = ProxyFor(url_);
        transfer.connectTimeout = Limit(timeouts_.connect);
        transfer.stallTimeout =
            Limit(timeouts_.send) && Limit(timeouts_.receive) ? std::max(timeouts_.send, timeouts_.receive) : 0;
        TransferResponse response;
        ThrowIfFailed(PerformTransfer(transfer, response));
        response_ = std::move(response);
        readyState_ = kCompleted;
        return S_OK;
    });
}

HRESULT XmlHttpRequest::abort()
{
    const std::lock_guard lock(mutex_);
    ResetLocked();
    return S_OK;
}

HRESULT XmlHttpRequest::get_status(LONG* plStatus)
{
    if (!plStatus) return E_POINTER;
    const std::lock_guard lock(mutex_);
    if (readyState_ != kCompleted) return E_PENDING;
    *plStatus = static_cast<LONG>(response_.status);
    return S_OK;
}

HRESULT XmlHttpRequest::get_statusText(BSTR* pbstrStatus)
{
    if (!pbstrStatus) return E_POINTER;
    *pbstrStatus = nullptr;
    return Boundary([&] {
        const std::lock_guard lock(mutex_);
        if (readyState_ != kCompleted) return E_PENDING;
        return ReturnString(ToUtf16(response_.statusText), pbstrStatus);
    });
}

HRESULT XmlHttpRequest::get_responseXML(IDispatch** ppBody)
{
    if (!ppBody) return E_POINTER;
    *ppBody = nullptr;
    return Boundary([&] {
        const std::lock_guard lock(mutex_);
        if (readyState_ != kCompleted) return E_PENDING;
        if (!responseXml_) {
            ComPtr<IXMLDOMDocument2> document;
            ThrowIfFailed(CoCreateInstance(CLSID_FreeThreadedDOMDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IXMLDOMDocument2, document.ReleaseAndGetVoidAddress()));
            // A body that does not parse leaves the document empty (S_FALSE), which is still the answer.
            const Bstr text(ResponseTextLocked());
            VARIANT_BOOL parsed = VARIANT_FALSE;
            ThrowIfFailed(document->loadXML(text.Get(), &parsed));
            ThrowIfFailed(document.As(responseXml_));
        }
        return responseXml_.CopyTo(ppBody);
    });
}

HRESULT XmlHttpRequest::get_responseText(BSTR* pbstrBody)
{
    if (!pbstrBody) return E_POINTER;
    *pbstrBody = nullptr;
    return Boundary([&] {
        const std::lock_guard lock(mutex_);
        if (readyState_ != kCompleted) return E_PENDING;
        return ReturnString(ResponseTextLocked(), pbstrBody);
    });
}

HRESULT XmlHttpRequest::get_readyState(LONG* plState)
{
    if (!plState) return E_POINTER;
    const std::lock_guard lock(mutex_);
    *plState = readyState_;
    return S_OK;
}

HRESULT XmlHttpRequest::setTimeouts(LONG resolveTimeout, LONG connectTimeout, LONG sendTimeout, LONG receiveTimeout)
{
    if (resolveTimeout < -1 || connectTimeout < -1 || sendTimeout < -1 || receiveTimeout < -1) return E_INVALIDARG;
    const std::lock_guard lock(mutex_);
    timeouts_ = {resolveTimeout, connectTimeout, sendTimeout, receiveTimeout};
    return S_OK;
}

HRESULT XmlHttpRequest::setProxy(SXH_PROXY_SETTING proxySetting, VARIANT varProxyServer, VARIANT varBypassList)
{
    return Boundary([&] {
        std::u16string proxy, bypass;
        switch (proxySetting) {
        case SXH_PROXY_SET_DEFAULT:
        case SXH_PROXY_SET_DIRECT:
            break;
        case SXH_PROXY_SET_PROXY:
            proxy = OptionalString(varProxyServer).value_or(u"");
            if (SelectProxy(proxy, u"http").empty() && SelectProxy(proxy, u"https").empty()) return E_INVALIDARG;
            bypass = OptionalString(varBypassList).value_or(u"");
            break;
        default:
            return E_INVALIDARG;
        }
        const std::lock_guard lock(mutex_);
        proxySetting_ = proxySetting;
        proxyList_ = std::move(proxy);
        bypassList_ = std::move(bypass);
        return S_OK;
    });
}

void XmlHttpRequest::ResetLocked() noexcept
{
    readyState_ = kUninitialized;
    method_.clear();
    url_.clear();
    headers_.clear();
    user_.reset();
    password_.reset();
    response_ = {};
    responseXml_ = nullptr;
}

std::string XmlHttpRequest::ProxyFor(const std::u16string& url) const
{
    if (serverSide_ && proxySetting_ == SXH_PROXY_SET_PROXY) return ToUtf8(ResolveProxy(proxyList_, bypassList_, url));
    if (serverSide_ && proxySetting_ == SXH_PROXY_SET_DIRECT) return {};
    return ToUtf8(ProxyForUrl(url));
}

std::u16string XmlHttpRequest::ResponseTextLocked() const
{
    const auto contentType = FindHeader(response_.headerLines, "Content-Type");
    return DecodeResponseText(response_.body, contentType.value_or(""));
}

} // namespace pal::http
