// Which proxy a request takes: the server-side classes exactly what setProxy
// said, the default setting and the client-side classes the user's settings.
#include "tests/pal/http/loopback_server.h"
#include "tests/pal/http/xml_http_fixture.h"

namespace {

using testing_support::LoopbackServer;

class XmlHttpProxy : public testing_support::XmlHttpTest {
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

TEST_F(XmlHttpProxy, NamedProxyGetsTheAbsoluteFormUnlessBypassedAndDirectIgnoresTheEnvironment)
{
    environment_.Set("http_proxy", ProxyAddress());
    auto request = Create(CLSID_ServerXMLHTTP60);
    ASSERT_EQ(SetProxy(request.Get(), SXH_PROXY_SET_PROXY, Wide(ProxyAddress())), S_OK);
    EXPECT_EQ(Fetch(request.Get()), u"from proxy");
    ExpectThroughProxy();

    ASSERT_EQ(SetProxy(request.Get(), SXH_PROXY_SET_PROXY, Wide(ProxyAddress()), u"example.com;127.0.0.*"), S_OK);
    EXPECT_EQ(Fetch(request.Get()), u"from origin");
    ASSERT_EQ(SetProxy(request.Get(), SXH_PROXY_SET_DIRECT, u""), S_OK);
    EXPECT_EQ(Fetch(request.Get()), u"from origin");
    EXPECT_EQ(proxy_.Requests().size(), 1u);
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
