// Automatic proxy discovery: proxy scripts served on loopback, their helper
// functions, what their answers become, and detection that stays off the
// network unless the user switched it on.
#include "pal/http/pac_script.h"
#include "pal/unique_global.h"
#include "pal/unique_internet.h"
#include "tests/support/automatic_proxy.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using testing_support::PacServer;

std::u16string Take(LPWSTR text)
{
    std::u16string copy = text ? std::u16string(text) : u"(null)";
    GlobalFree(text);
    return copy;
}

TEST(PacAnswer, ProxiesUpToTheFirstDirectBecomeTheList)
{
    using pal::http::ProxyListFromPacAnswer;
    EXPECT_EQ(ProxyListFromPacAnswer("PROXY a:1; PROXY b:2; DIRECT"), u"a:1;b:2");
    EXPECT_EQ(ProxyListFromPacAnswer("HTTP a:1;HTTPS  b:2 ;"), u"a:1;b:2");
    EXPECT_EQ(ProxyListFromPacAnswer("proxy a:1"), u"a:1") << "keywords compare without case";
    EXPECT_EQ(ProxyListFromPacAnswer("SOCKS s:1; PROXY a:1; BOGUS x:1"), u"a:1") << "only HTTP proxies";
    EXPECT_EQ(ProxyListFromPacAnswer("DIRECT"), u"");
    EXPECT_EQ(ProxyListFromPacAnswer(" DIRECT; PROXY a:1"), u"") << "a leading DIRECT means direct";
    EXPECT_EQ(ProxyListFromPacAnswer(""), u"");
    EXPECT_EQ(ProxyListFromPacAnswer("PROXY ; SOCKS5 s:1"), u"") << "nothing usable: direct";
}

TEST(PacScript, HelperFunctionsAnswerAsScriptsExpect)
{
    // Only literal addresses, so dnsResolve never asks DNS.
    const std::string script = R"js(
        function FindProxyForURL(url, host) {
            return [
                isPlainHostName('intranet'), isPlainHostName('www.example.com'),
                dnsDomainIs('www.example.com', '.example.com'), dnsDomainIs('www.other.com', '.example.com'),
                localHostOrDomainIs('www', 'www.example.com'), localHostOrDomainIs('www.other.com', 'www.example.com'),
                dnsDomainLevels('www.example.com'),
                isInNet('10.1.2.3', '10.0.0.0', '255.0.0.0'), isInNet('11.1.2.3', '10.0.0.0', '255.0.0.0'),
                isInNet('192.168.1.200', '192.168.1.128', '255.255.255.128'), isResolvable('127.0.0.1'),
                shExpMatch(url, '*/proxy/*'), shExpMatch('a.b', 'a?b'), shExpMatch('axb', 'a.b'),
                weekdayRange('SUN', 'SAT'), timeRange(0, 23), dateRange(1, 31), dateRange('JAN', 'DEC', 'GMT'),
                typeof myIpAddress(), host
            ].join(',');
        })js";
    EXPECT_EQ(pal::http::FindProxyForUrl(script, "http://www.example.com/proxy/x", "www.example.com"),
              "true,false,true,false,true,false,2,true,false,true,true,true,true,false,true,true,true,true,string,"
              "www.example.com");
}

TEST(PacScript, ScriptsThatGiveNoStringAreErrors)
{
    const auto run = [](const std::string& script) { return pal::http::FindProxyForUrl(script, "http://a/", "a"); };
    EXPECT_THROW(run("function FindProxyForURL(url, host) { return 'DIRECT'"), pal::http::PacScriptError);
    EXPECT_THROW(run("throw new Error('at load');"), pal::http::PacScriptError);
    EXPECT_THROW(run("var FindProxyForURL = 1;"), pal::http::PacScriptError);
    EXPECT_THROW(run("function FindProxyForURL(url, host) { return undefinedName; }"), pal::http::PacScriptError);
    EXPECT_THROW(run("function FindProxyForURL(url, host) { return 1; }"), pal::http::PacScriptError);
    EXPECT_EQ(run("function FindProxyForURL(url, host) { return 'PROXY ' + host + ':1'; }"), "PROXY a:1");
}

class AutomaticProxy : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        session_.reset(WinHttpOpen(u"Orvana", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0));
        ASSERT_TRUE(session_);
    }

    // The proxy list for url ("(null)" for direct, "(failed)" with the error in *error).
    std::u16string Ask(DWORD flags, const std::u16string& scriptUrl, const char16_t* url, DWORD* error = nullptr)
    {
        WINHTTP_AUTOPROXY_OPTIONS options{};
        options.dwFlags = flags;
        options.dwAutoDetectFlags =
            flags & WINHTTP_AUTOPROXY_AUTO_DETECT ? WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A : 0;
        options.lpszAutoConfigUrl = scriptUrl.empty() ? nullptr : scriptUrl.c_str();
        WINHTTP_PROXY_INFO info{};
        SetLastError(0);
        const BOOL ok = WinHttpGetProxyForUrl(session_.get(), url, &options, &info);
        if (error) *error = ok ? 0 : GetLastError();
        if (!ok) return u"(failed)";
        const std::u16string bypass = Take(info.lpszProxyBypass);
        EXPECT_EQ(bypass, u"(null)");
        const std::u16string proxy = Take(info.lpszProxy);
        EXPECT_EQ(info.dwAccessType,
                  proxy == u"(null)" ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY);
        return proxy;
    }

    testing_support::ProxyEnvironment environment_;
    pal::UniqueInternet session_;
};

TEST_F(AutomaticProxy, AScriptOnLoopbackAnswersPerUrlAndIsFetchedOnce)
{
    PacServer server(testing_support::TwoProxiesForApi(8080, 8081));
    const std::u16string script = server.ScriptUrl("/fetched-once.pac");
    EXPECT_EQ(Ask(WINHTTP_AUTOPROXY_CONFIG_URL, script, u"https://api.example/upload"),
              u"127.0.0.1:8080;127.0.0.1:8081");
    EXPECT_EQ(Ask(WINHTTP_AUTOPROXY_CONFIG_URL, script, u"http://www.example/"), u"(null)") << "DIRECT";
    ASSERT_EQ(server.Requests().size(), 1u) << "the second answer comes from the cached script";
    EXPECT_EQ(server.Requests()[0].rfind("GET /fetched-once.pac HTTP/1.1\r\n", 0), 0u) << server.Requests()[0];
}

TEST_F(AutomaticProxy, ScriptsThatCannotBeFetchedOrRunAreTheirOwnErrors)
{
    DWORD error = 0;
    PacServer broken("function FindProxyForURL(url, host) {");
    Ask(WINHTTP_AUTOPROXY_CONFIG_URL, broken.ScriptUrl(), u"http://api.example/", &error);
    EXPECT_EQ(error, ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT);

    testing_support::LoopbackServer missing(testing_support::LoopbackServer::Reply("404 Not Found", "", "no"));
    const std::string missingUrl = missing.Url("/proxy.pac");
    Ask(WINHTTP_AUTOPROXY_CONFIG_URL, std::u16string(missingUrl.begin(), missingUrl.end()), u"http://api.example/",
        &error);
    EXPECT_EQ(error, ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT) << "an error status is no script";

    const pal::UniqueFd closed(socket(AF_INET, SOCK_STREAM, 0));
    const std::string closedUrl =
        "http://127.0.0.1:" + std::to_string(testing_support::BindLoopback(closed.Get())) + "/proxy.pac";
    Ask(WINHTTP_AUTOPROXY_CONFIG_URL, std::u16string(closedUrl.begin(), closedUrl.end()), u"http://api.example/",
        &error);
    EXPECT_EQ(error, ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT);
}

TEST_F(AutomaticProxy, DetectionStaysOffTheNetworkUnlessSwitchedOn)
{
    DWORD error = 0;
    Ask(WINHTTP_AUTOPROXY_AUTO_DETECT, u"", u"http://api.example/", &error);
    EXPECT_EQ(error, ERROR_WINHTTP_AUTODETECTION_FAILED) << "no settings at all";

    // A configured script is not detection's to run.
    PacServer server("function FindProxyForURL(url, host) { return 'PROXY 127.0.0.1:1'; }");
    ASSERT_EQ(testing_support::WriteInternetSettings(server.ScriptUrl(), 0), ERROR_SUCCESS);
    Ask(WINHTTP_AUTOPROXY_AUTO_DETECT, u"", u"http://api.example/", &error);
    EXPECT_EQ(error, ERROR_WINHTTP_AUTODETECTION_FAILED);
    EXPECT_TRUE(server.Requests().empty());

    // Both asked for: detection fails, the script answers.
    EXPECT_EQ(Ask(WINHTTP_AUTOPROXY_AUTO_DETECT | WINHTTP_AUTOPROXY_CONFIG_URL, server.ScriptUrl("/both.pac"),
                  u"http://api.example/"),
              u"127.0.0.1:1");
}

TEST_F(AutomaticProxy, TheDetectionSeamAnswersItsListAndReportsDetectionOn)
{
    const testing_support::DetectedProxyList detected(u"127.0.0.1:9001;127.0.0.1:9002");
    EXPECT_EQ(Ask(WINHTTP_AUTOPROXY_AUTO_DETECT, u"", u"https://api.example/"), u"127.0.0.1:9001;127.0.0.1:9002");
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    ASSERT_TRUE(WinHttpGetIEProxyConfigForCurrentUser(&config));
    EXPECT_TRUE(config.fAutoDetect);
    EXPECT_EQ(Take(config.lpszAutoConfigUrl), u"(null)");
    EXPECT_EQ(Take(config.lpszProxy), u"(null)");
    EXPECT_EQ(Take(config.lpszProxyBypass), u"(null)");
}

} // namespace
