// Proxy discovery for the service's endpoint, with the platform's settings
// taken from the environment and the registry of a fresh prefix; the failover
// along a discovered list.
#include "pal/global_string.h"
#include "pal/unique_internet.h"
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

// A session stands in for the request: both take the proxy option.
class ProxyFailover : public ::testing::Test {
  protected:
    void Discovered(const char16_t* list, BOOL automatic)
    {
        settings_.Clear();
        settings_.proxyList = pal::http::CopyToGlobal(list).release();
        settings_.proxyBypass = pal::http::CopyToGlobal(u"<local>").release();
        settings_.accessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        settings_.fromAutomaticDiscovery = automatic;
        settings_.initialised = TRUE;
    }
    // The applied proxy list and bypass list.
    std::u16string Applied() const
    {
        WINHTTP_PROXY_INFO info{};
        DWORD size = sizeof(info);
        EXPECT_TRUE(WinHttpQueryOption(session_.get(), WINHTTP_OPTION_PROXY, &info, &size));
        const pal::http::GlobalString proxy(info.lpszProxy), bypass(info.lpszProxyBypass);
        return Text(proxy.get()) + u" | " + Text(bypass.get());
    }
    DWORD Advance(DWORD lastError) { return orvana::AdvanceProxy(settings_, session_.get(), lastError); }

    pal::UniqueInternet session_{
        WinHttpOpen(u"test", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)};
    orvana::ProxySettings settings_;
};

TEST_F(ProxyFailover, ADiscoveredListIsWalkedEntryByEntryAfterFailuresToReachTheProxy)
{
    ASSERT_TRUE(session_);
    for (const DWORD unreachable : {ERROR_WINHTTP_TIMEOUT, ERROR_WINHTTP_NAME_NOT_RESOLVED,
                                    ERROR_WINHTTP_CANNOT_CONNECT, ERROR_WINHTTP_CONNECTION_ERROR}) {
        Discovered(u"p1:1; p2:2", TRUE);
        ASSERT_EQ(0u, Advance(0));
        EXPECT_EQ(u"p1:1; p2:2 | <local>", Applied());
        ASSERT_EQ(0u, Advance(unreachable)) << unreachable;
        EXPECT_EQ(u"p2:2 | <local>", Applied());
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(unreachable));
        EXPECT_TRUE(settings_.lastProxyReturned);
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(unreachable));
        EXPECT_EQ(u"p2:2 | <local>", Applied()); // the last one stays applied
    }

    // Any run of separators and white space lies between two entries.
    Discovered(u"a:1;;\t\r\n b:2 \v\fc:3;; ", TRUE);
    ASSERT_EQ(0u, Advance(0));
    ASSERT_EQ(0u, Advance(ERROR_WINHTTP_CANNOT_CONNECT));
    EXPECT_EQ(u"b:2 \v\fc:3;;  | <local>", Applied());
    ASSERT_EQ(0u, Advance(ERROR_WINHTTP_CANNOT_CONNECT));
    EXPECT_EQ(u"c:3;;  | <local>", Applied());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(ERROR_WINHTTP_CANNOT_CONNECT));
}

TEST_F(ProxyFailover, GivesUpOnStaticListsOtherErrorsNoListAndBeforeDiscovery)
{
    ASSERT_TRUE(session_);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_OPERATION), Advance(0));

    Discovered(u"p1:1; p2:2", FALSE);
    ASSERT_EQ(0u, Advance(0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(ERROR_WINHTTP_CANNOT_CONNECT));
    EXPECT_EQ(u"p1:1; p2:2 | <local>", Applied());

    Discovered(u"p1:1; p2:2", TRUE);
    ASSERT_EQ(0u, Advance(0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(ERROR_WINHTTP_INVALID_SERVER_RESPONSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(0));
    EXPECT_EQ(u"p1:1; p2:2 | <local>", Applied());

    // Direct: the first call applies it, there is nothing to fail over to.
    settings_.Clear();
    settings_.initialised = settings_.fromAutomaticDiscovery = TRUE;
    ASSERT_EQ(0u, Advance(0));
    EXPECT_EQ(u"(null) | (null)", Applied());
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), Advance(ERROR_WINHTTP_CANNOT_CONNECT));

    // An option the request refuses is answered with its error.
    Discovered(u"p1:1", TRUE);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), orvana::AdvanceProxy(settings_, nullptr, 0));
}

} // namespace
