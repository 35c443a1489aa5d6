// XML HTTP request objects against loopback servers, each test in a fresh
// prefix without proxy variables: what goes on the wire, how the reply reads
// back, which proxy a request takes, and how failures and misuse are answered.
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/http/xml_http.h"
#include "pal/unique_internet.h"
#include "tests/pal/http/loopback_server.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

using testing_support::LoopbackServer;

class XmlHttp : public testing_support::PrefixTest {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }

    static pal::ComPtr<IXMLHTTPRequest> Create(REFCLSID clsid)
    {
        pal::ComPtr<IXMLHTTPRequest> request;
        EXPECT_EQ(
            CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IXMLHTTPRequest, request.ReleaseAndGetVoidAddress()),
            S_OK);
        return request;
    }

    // Borrows the string, as an [in] argument does.
    static VARIANT Text(const pal::Bstr& text)
    {
        VARIANT v{};
        v.vt = VT_BSTR;
        v.bstrVal = text.Get();
        return v;
    }

    static HRESULT Open(IXMLHTTPRequest* request, std::u16string_view method, const std::string& url)
    {
        const pal::Bstr wideUrl(std::u16string(url.begin(), url.end()));
        VARIANT synchronous{};
        synchronous.vt = VT_BOOL;
        synchronous.boolVal = VARIANT_FALSE;
        return request->open(pal::Bstr(method).Get(), wideUrl.Get(), synchronous, VARIANT{}, VARIANT{});
    }

    static HRESULT Get(IXMLHTTPRequest* request, const std::string& url)
    {
        HRESULT hr = Open(request, u"GET", url);
        return SUCCEEDED(hr) ? request->send(VARIANT{}) : hr;
    }

    static std::u16string ResponseText(IXMLHTTPRequest* request)
    {
        pal::Bstr text;
        EXPECT_EQ(request->get_responseText(text.ReleaseAndGetAddressOf()), S_OK);
        return text.Str();
    }

    testing_support::ProxyEnvironment environment_;
};

std::string Head(const std::string& request)
{
    return request.substr(0, request.find("\r\n\r\n") + 2);
}

TEST_F(XmlHttp, PostSendsUtf8BodyAndHeadersAsGiven)
{
    LoopbackServer server(LoopbackServer::Reply("200 OK", "", ""));
    auto request = Create(CLSID_ServerXMLHTTP60);
    ASSERT_EQ(Open(request.Get(), u"POST", server.Url("/api/1.6/zfapi.asmx")), S_OK);
    ASSERT_EQ(request->setRequestHeader(pal::Bstr(u"SOAPAction").Get(), pal::Bstr(u"urn:x/GetChallenge").Get()), S_OK);
    ASSERT_EQ(request->setRequestHeader(pal::Bstr(u"X-Empty").Get(), pal::Bstr(u"").Get()), S_OK);
    const pal::Bstr body(u"<m>\u00e9\u20ac\U0001F600</m>");
    ASSERT_EQ(request->send(Text(body)), S_OK);

    const auto received = server.Requests();
    ASSERT_EQ(received.size(), 1u);
    const std::string head = Head(received[0]);
    EXPECT_TRUE(head.starts_with("POST /api/1.6/zfapi.asmx HTTP/1.1\r\n")) << head;
    // Their order is checked end to end by the service call tests.
    for (const char* line : {"\r\nSOAPAction: urn:x/GetChallenge\r\n", "\r\nX-Empty:\r\n"})
        EXPECT_NE(head.find(line), std::string::npos) << "exactly as given:\n" << head;
    const std::string utf8 = "<m>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</m>";
    EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(utf8.size()) + "\r\n"), std::string::npos);
    EXPECT_EQ(received[0].substr(head.size() + 2), utf8);
}

TEST_F(XmlHttp, StatusHeadersAndTextOfTheReply)
{
    LoopbackServer server(LoopbackServer::Reply("404 Not Found", "X-One: 1\r\nx-two:  2 \r\nX-One: again\r\n", "gone"));
    auto request = Create(CLSID_XMLHTTP60);
    ASSERT_EQ(Get(request.Get(), server.Url("/missing")), S_OK) << "an HTTP error status is still a reply";
    LONG status = 0;
    ASSERT_EQ(request->get_status(&status), S_OK);
    EXPECT_EQ(status, 404);
    pal::Bstr text;
    ASSERT_EQ(request->get_statusText(text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(text.View(), u"Not Found");
    EXPECT_EQ(ResponseText(request.Get()), u"gone");

    ASSERT_EQ(request->getResponseHeader(pal::Bstr(u"X-TWO").Get(), text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(text.View(), u"2") << "names compare without case, values are trimmed";
    ASSERT_EQ(request->getResponseHeader(pal::Bstr(u"x-one").Get(), text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(text.View(), u"1, again");
    EXPECT_EQ(request->getResponseHeader(pal::Bstr(u"X-None").Get(), text.ReleaseAndGetAddressOf()), S_FALSE);
    ASSERT_EQ(request->getAllResponseHeaders(text.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_NE(text.Str().find(u"X-One: 1\r\nx-two:  2\r\nX-One: again\r\n"), std::u16string::npos) << "as received";
}

TEST_F(XmlHttp, ResponseTextFollowsTheCharset)
{
    const std::vector<std::tuple<std::string, std::string, std::u16string>> cases = {
        {"", "caf\xC3\xA9", u"caf\u00e9"},
        {"Content-Type: text/plain; charset=ISO-8859-1\r\n", "caf\xE9", u"caf\u00e9"},
        {"Content-Type: text/xml; charset=\"windows-1252\"\r\n", "\x80", u"\u20ac"},
        // A byte-order mark decides over the charset, and is no content.
        {"Content-Type: text/plain; charset=iso-8859-1\r\n", "\xEF\xBB\xBF\xC3\xA9", u"\u00e9"},
        {"Content-Type: text/plain; charset=iso-8859-1\r\n", std::string("\xFF\xFE\xE9\x00\xAC\x20", 6),
         u"\u00e9\u20ac"},
        {"Content-Type: text/plain; charset=utf-16le\r\n", std::string("\xFE\xFF\x00\xE9\x20\xAC", 6), u"\u00e9\u20ac"},
        {"Content-Type: text/plain; charset=utf-8\r\n",
         "a\xFF"
         "b",
         u"a\uFFFDb"},
    };
    for (const auto& [headers, body, expected] : cases) {
        LoopbackServer server(LoopbackServer::Reply("200 OK", headers, body));
        auto request = Create(CLSID_ServerXMLHTTP);
        ASSERT_EQ(Get(request.Get(), server.Url()), S_OK);
        EXPECT_EQ(ResponseText(request.Get()), expected) << headers;
    }
}

TEST_F(XmlHttp, ResponseXmlIsTheParsedReplyOrAnEmptyDocument)
{
    auto request = Create(CLSID_ServerXMLHTTP60);
    // Whether the reply's document has a root; the second send must not see the first's document.
    const auto hasRoot = [&](const std::string& status, const std::string& body) {
        LoopbackServer server(LoopbackServer::Reply(status, "Content-Type: text/xml\r\n", body));
        EXPECT_EQ(Get(request.Get(), server.Url()), S_OK);
        pal::ComPtr<IDispatch> xml;
        EXPECT_EQ(request->get_responseXML(xml.ReleaseAndGetAddressOf()), S_OK) << "an empty document, not a failure";
        pal::ComPtr<IXMLDOMDocument2> document;
        pal::ComPtr<IXMLDOMElement> root;
        return xml.As(document) == S_OK && document->get_documentElement(root.ReleaseAndGetAddressOf()) == S_OK;
    };
    EXPECT_TRUE(hasRoot("200 OK", "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"urn:s\"/>"));
    EXPECT_FALSE(hasRoot("500 Internal Server Error", "<unclosed>"));
}

TEST_F(XmlHttp, OnlyServerSideClassesOfferTheServerInterfaces)
{
    pal::ComPtr<IServerXMLHTTPRequest2> server;
    EXPECT_EQ(Create(CLSID_ServerXMLHTTP30).As(server), S_OK);
    auto client = Create(CLSID_XMLHTTP26);
    EXPECT_EQ(client.As(server), E_NOINTERFACE);
    pal::ComPtr<IServerXMLHTTPRequest> server1;
    EXPECT_EQ(client.As(server1), E_NOINTERFACE);
    pal::ComPtr<IDispatch> dispatch;
    EXPECT_EQ(client.As(dispatch), S_OK);
}

TEST_F(XmlHttp, TransportFailuresMapToWinHttpErrors)
{
    const pal::UniqueFd closed(socket(AF_INET, SOCK_STREAM, 0));
    auto request = Create(CLSID_ServerXMLHTTP60);
    const std::string url = "http://127.0.0.1:" + std::to_string(testing_support::BindLoopback(closed.Get())) + "/";
    EXPECT_EQ(Get(request.Get(), url), HRESULT_FROM_WIN32(ERROR_WINHTTP_CANNOT_CONNECT));
    LONG state = 0;
    ASSERT_EQ(request->get_readyState(&state), S_OK);
    EXPECT_EQ(state, 1) << "still open; the send may be retried";
    LONG status = 0;
    EXPECT_EQ(request->get_status(&status), E_PENDING);

    // A server that closes without answering.
    LoopbackServer silent("");
    EXPECT_EQ(Get(request.Get(), silent.Url()), HRESULT_FROM_WIN32(ERROR_WINHTTP_CONNECTION_ERROR));
}

TEST_F(XmlHttp, MisuseIsRefused)
{
    auto request = Create(CLSID_ServerXMLHTTP60);
    VARIANT missing{};
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(
        request->open(pal::Bstr(u"GET").Get(), pal::Bstr(u"http://127.0.0.1:1/").Get(), missing, missing, missing),
        E_NOTIMPL)
        << "a missing flag means asynchronous, which is not offered";
    EXPECT_EQ(Open(request.Get(), u"GET", "ftp://127.0.0.1/"), HRESULT_FROM_WIN32(ERROR_WINHTTP_UNRECOGNIZED_SCHEME));
    EXPECT_EQ(request->send(VARIANT{}), E_UNEXPECTED) << "not opened";

    ASSERT_EQ(Open(request.Get(), u"GET", "http://127.0.0.1:1/"), S_OK);
    EXPECT_EQ(request->setRequestHeader(pal::Bstr(u"X-A").Get(), pal::Bstr(u"1\r\nX-Injected: 2").Get()), E_INVALIDARG);
    pal::Bstr text;
    EXPECT_EQ(request->get_responseText(text.ReleaseAndGetAddressOf()), E_PENDING);
}

// Which proxy a request takes: the server-side classes exactly what setProxy
// said, the default setting and the client-side classes the user's settings.
class XmlHttpProxy : public XmlHttp {
  protected:
    LoopbackServer origin_{LoopbackServer::Reply("200 OK", "", "from origin")};
    LoopbackServer proxy_{LoopbackServer::Reply("200 OK", "", "from proxy")};

    std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(proxy_.Port()); }

    HRESULT SetProxy(IXMLHTTPRequest* request, SXH_PROXY_SETTING setting, std::u16string_view list,
                     std::u16string_view bypass = {})
    {
        pal::ComPtr<IServerXMLHTTPRequest2> server;
        EXPECT_EQ(pal::ComPtr<IXMLHTTPRequest>(request).As(server), S_OK);
        const pal::Bstr proxyList(list), bypassList(bypass);
        return server->setProxy(setting, Text(proxyList), Text(bypassList));
    }

    // Sends one GET to the origin and tells which server answered it.
    std::u16string Fetch(IXMLHTTPRequest* request)
    {
        EXPECT_EQ(Get(request, origin_.Url("/soap?x=1")), S_OK);
        return ResponseText(request);
    }

    void ExpectThroughProxy()
    {
        const auto requests = proxy_.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].starts_with("GET " + origin_.Url("/soap?x=1") + " HTTP/1.1\r\n")) << requests[0];
        EXPECT_TRUE(origin_.Requests().empty());
    }
};

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// A named proxy taking the absolute form is what every service call test goes through.
TEST_F(XmlHttpProxy, NamedProxyIsBypassedByPatternAndDirectIgnoresTheEnvironment)
{
    environment_.Set("http_proxy", ProxyAddress());
    auto request = Create(CLSID_ServerXMLHTTP60);
    ASSERT_EQ(SetProxy(request.Get(), SXH_PROXY_SET_PROXY, Wide(ProxyAddress()), u"example.com;127.0.0.*"), S_OK);
    EXPECT_EQ(Fetch(request.Get()), u"from origin");
    ASSERT_EQ(SetProxy(request.Get(), SXH_PROXY_SET_DIRECT, u""), S_OK);
    EXPECT_EQ(Fetch(request.Get()), u"from origin");
    EXPECT_TRUE(proxy_.Requests().empty());
}

TEST_F(XmlHttpProxy, DefaultSettingAndClientClassesFollowTheEnvironment)
{
    environment_.Set("http_proxy", "http://" + ProxyAddress() + "/");
    auto server = Create(CLSID_ServerXMLHTTP60);
    EXPECT_EQ(Fetch(server.Get()), u"from proxy");
    ExpectThroughProxy();

    auto client = Create(CLSID_XMLHTTP60);
    EXPECT_EQ(Fetch(client.Get()), u"from proxy");
    EXPECT_EQ(proxy_.Requests().size(), 2u);
}

} // namespace
