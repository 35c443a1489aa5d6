// Proxy discovery for the service's endpoint, with the platform's settings
// taken from the environment and the registry of a fresh prefix.
#include "pal/utf.h"
#include "service/proxy_settings.h"
#include "service/soap_transport.h"
#include "tests/support/automatic_proxy.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using testing_support::PacServer;
using testing_support::ProxyScript;

std::u16string Text(LPCWSTR text)
{
    return text ? std::u16string(text) : std::u16string(u"(null)");
}

class ProxyDiscovery : public testing_support::PrefixTest {
  protected:
    DWORD Discover() { return orvana::DiscoverProxy(settings_, nullptr, orvana::kServiceEndpoint); }

    testing_support::ProxyEnvironment environment_;
    orvana::ProxySettings settings_;
};

TEST_F(ProxyDiscovery, GoesDirectWithoutSettingsAndThroughTheStaticProxyWithThem)
{
    ASSERT_EQ(0u, Discover());
    EXPECT_TRUE(settings_.initialised);
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NO_PROXY, settings_.accessType);
    EXPECT_EQ(nullptr, settings_.proxyList);

    environment_.Set("http_proxy", "http://127.0.0.1:3128");
    environment_.Set("no_proxy", "intranet.example,localhost");
    ASSERT_EQ(0u, Discover());
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NAMED_PROXY, settings_.accessType);
    EXPECT_NE(std::u16string::npos, Text(settings_.proxyList).find(u"127.0.0.1:3128"))
        << pal::ToUtf8(Text(settings_.proxyList));
    EXPECT_NE(std::u16string::npos, Text(settings_.proxyBypass).find(u"intranet.example"));
    EXPECT_FALSE(settings_.fromAutomaticDiscovery); // a static list is never failed over

    // Discovering again replaces what the record held.
    environment_.Set("http_proxy", "");
    ASSERT_EQ(0u, Discover());
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NO_PROXY, settings_.accessType);
    EXPECT_EQ(nullptr, settings_.proxyList);
}

TEST_F(ProxyDiscovery, TheConfiguredScriptGivesAnAutomaticListBeforeTheStaticProxy)
{
    PacServer server(ProxyScript("PROXY 127.0.0.1:8001; PROXY 127.0.0.1:8002; DIRECT"));
    ASSERT_EQ(testing_support::WriteInternetSettings(server.ScriptUrl("/two.pac"), 0), ERROR_SUCCESS);
    environment_.Set("http_proxy", "http://127.0.0.1:3128");
    ASSERT_EQ(0u, Discover());
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NAMED_PROXY, settings_.accessType);
    EXPECT_EQ(Text(settings_.proxyList), u"127.0.0.1:8001;127.0.0.1:8002");
    EXPECT_TRUE(settings_.fromAutomaticDiscovery);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(ProxyDiscovery, AScriptThatSaysDirectMeansNoProxy)
{
    PacServer server(ProxyScript("DIRECT"));
    ASSERT_EQ(testing_support::WriteInternetSettings(server.ScriptUrl("/direct.pac"), 0), ERROR_SUCCESS);
    environment_.Set("http_proxy", "http://127.0.0.1:3128");
    ASSERT_EQ(0u, Discover());
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NO_PROXY, settings_.accessType);
    EXPECT_EQ(nullptr, settings_.proxyList);
    EXPECT_TRUE(settings_.fromAutomaticDiscovery);
}

TEST_F(ProxyDiscovery, ABrokenScriptFallsBackToTheStaticProxy)
{
    PacServer server("function FindProxyForURL(url, host) { return 42; }");
    ASSERT_EQ(testing_support::WriteInternetSettings(server.ScriptUrl("/broken.pac"), 0), ERROR_SUCCESS);
    environment_.Set("http_proxy", "http://127.0.0.1:3128");
    ASSERT_EQ(0u, Discover()) << "a bad script is recoverable";
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(Text(settings_.proxyList), u"http=127.0.0.1:3128");
    EXPECT_FALSE(settings_.fromAutomaticDiscovery);
}

TEST_F(ProxyDiscovery, DetectionComesFirstAndItsListIsAutomatic)
{
    PacServer server(ProxyScript("PROXY 127.0.0.1:8003"));
    ASSERT_EQ(testing_support::WriteInternetSettings(server.ScriptUrl("/unused.pac"), std::nullopt), ERROR_SUCCESS);
    const testing_support::DetectedProxyList detected(u"127.0.0.1:9001; 127.0.0.1:9002");
    ASSERT_EQ(0u, Discover());
    EXPECT_EQ(Text(settings_.proxyList), u"127.0.0.1:9001; 127.0.0.1:9002");
    EXPECT_TRUE(settings_.fromAutomaticDiscovery);
    EXPECT_TRUE(server.Requests().empty()) << "the script is only asked when detection fails";
}

} // namespace
