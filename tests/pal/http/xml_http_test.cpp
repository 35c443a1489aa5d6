// XML HTTP request objects against a loopback server: what goes on the wire,
// how the reply reads back, and how failures and misuse are answered.
#include "pal/http/winhttp.h"
#include "tests/pal/http/loopback_server.h"
#include "tests/pal/http/xml_http_fixture.h"

#include <tuple>

namespace {

using testing_support::LoopbackServer;
using XmlHttp = testing_support::XmlHttpTest;

std::string Head(const std::string& request)
{
    return request.substr(0, request.find("\r\n\r\n") + 2);
}

TEST_F(XmlHttp, PostSendsUtf8BodyAndHeadersInTheOrderSet)
{
    LoopbackServer server(LoopbackServer::Reply("200 OK", "", ""));
    auto request = Create(CLSID_ServerXMLHTTP60);
    ASSERT_EQ(Open(request.Get(), u"POST", server.Url("/api/1.6/zfapi.asmx")), S_OK);
    const std::vector<std::pair<std::u16string, std::u16string>> headers = {
        {u"User-Agent", u"Orvana/1.9.289.0"}, {u"SOAPAction", u"urn:x/GetChallenge"}, {u"X-Empty", u""}};
    for (const auto& [name, value] : headers)
        ASSERT_EQ(request->setRequestHeader(pal::Bstr(name).Get(), pal::Bstr(value).Get()), S_OK);
    const pal::Bstr body(u"<m>\u00e9\u20ac\U0001F600</m>");
    ASSERT_EQ(request->send(Text(body)), S_OK);

    const auto received = server.Requests();
    ASSERT_EQ(received.size(), 1u);
    const std::string head = Head(received[0]);
    EXPECT_TRUE(head.starts_with("POST /api/1.6/zfapi.asmx HTTP/1.1\r\n")) << head;
    std::size_t previous = 0;
    for (const auto& [name, value] : headers) {
        const std::u16string line = u"\r\n" + name + (value.empty() ? u":" : u": " + value) + u"\r\n";
        const auto at = head.find(std::string(line.begin(), line.end()));
        ASSERT_NE(at, std::string::npos) << "exactly as given:\n" << head;
        EXPECT_GT(at, previous) << "in the order set:\n" << head;
        previous = at;
    }
    const std::string utf8 = "<m>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</m>";
    EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(utf8.size()) + "\r\n"), std::string::npos);
    EXPECT_EQ(received[0].substr(head.size() + 2), utf8);
}

TEST_F(XmlHttp, StatusHeadersAndTextOfTheReply)
{
    LoopbackServer server(LoopbackServer::Reply("404 Not Found", "X-One: 1\r\nx-two:  2 \r\nX-One: again\r\n", "gone"));
    auto request = Create(CLSID_XMLHTTP60);
    ASSERT_EQ(Get(request.Get(), server.Url("/missing")), S_OK) << "an HTTP error status is still a reply";
    LONG state = 0;
    ASSERT_EQ(request->get_readyState(&state), S_OK);
    EXPECT_EQ(state, 4);

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
        {"Content-Type: text/plain; charset=iso-8859-1\r\n", "\xEF\xBB\xBF\xC3\xA9", u"\u00e9"},
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
    const testing_support::Socket closed(socket(AF_INET, SOCK_STREAM, 0));
    auto request = Create(CLSID_ServerXMLHTTP60);
    const std::string url = "http://127.0.0.1:" + std::to_string(testing_support::Socket::BindLoopback(closed)) + "/";
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

} // namespace
