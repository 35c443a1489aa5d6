// Proxy discovery for the service's endpoint, with the platform's settings
// taken from the environment.
#include "pal/utf.h"
#include "service/proxy_settings.h"
#include "service/soap_transport.h"
#include "tests/support/proxy_environment.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Text(LPCWSTR text)
{
    return text ? std::u16string(text) : std::u16string(u"(null)");
}

TEST(ProxyDiscovery, GoesDirectWithoutSettingsAndThroughTheStaticProxyWithThem)
{
    testing_support::ProxyEnvironment environment;
    orvana::ProxySettings settings;
    ASSERT_EQ(0u, orvana::DiscoverProxy(settings, nullptr, orvana::kServiceEndpoint));
    EXPECT_TRUE(settings.initialised);
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NO_PROXY, settings.accessType);
    EXPECT_EQ(nullptr, settings.proxyList);

    environment.Set("http_proxy", "http://127.0.0.1:3128");
    environment.Set("no_proxy", "intranet.example,localhost");
    ASSERT_EQ(0u, orvana::DiscoverProxy(settings, nullptr, orvana::kServiceEndpoint));
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NAMED_PROXY, settings.accessType);
    EXPECT_NE(std::u16string::npos, Text(settings.proxyList).find(u"127.0.0.1:3128"))
        << pal::ToUtf8(Text(settings.proxyList));
    EXPECT_NE(std::u16string::npos, Text(settings.proxyBypass).find(u"intranet.example"));
    EXPECT_FALSE(settings.fromAutomaticDiscovery); // a static list is never failed over

    // Discovering again replaces what the record held.
    environment.Set("http_proxy", "");
    ASSERT_EQ(0u, orvana::DiscoverProxy(settings, nullptr, orvana::kServiceEndpoint));
    EXPECT_EQ(WINHTTP_ACCESS_TYPE_NO_PROXY, settings.accessType);
    EXPECT_EQ(nullptr, settings.proxyList);
}

} // namespace
