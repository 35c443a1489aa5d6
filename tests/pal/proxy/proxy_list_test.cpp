// Proxy lists and bypass patterns in the system's syntax.
#include "pal/proxy/proxy_list.h"

#include <gtest/gtest.h>

namespace {

bool Bypassed(std::u16string_view list, std::u16string_view url)
{
    const auto parts = pal::SplitUrl(url);
    EXPECT_TRUE(parts) << "bad test URL";
    return parts && pal::IsBypassed(list, *parts);
}

TEST(ProxyList, FirstEntryServingTheSchemeWins)
{
    EXPECT_EQ(pal::SelectProxy(u"  p1:81 ;p2:82", u"http"), u"p1:81");
    EXPECT_EQ(pal::SelectProxy(u"https=s:443;http=h", u"http"), u"h:80");
    EXPECT_EQ(pal::SelectProxy(u"https=s:443;http=h", u"https"), u"s:443");
    EXPECT_EQ(pal::SelectProxy(u"ftp=f:21", u"http"), u"");
    EXPECT_EQ(pal::SelectProxy(u"http://p:3128/", u"https"), u"p:3128");
    EXPECT_EQ(pal::SelectProxy(u"[::1]", u"http"), u"[::1]:80");
}

TEST(ProxyList, BypassPatterns)
{
    EXPECT_TRUE(Bypassed(u"*", u"http://anything.example/"));
    EXPECT_TRUE(Bypassed(u"<local>", u"http://intranet/"));
    EXPECT_TRUE(Bypassed(u"*.example.com", u"http://www.EXAMPLE.com/"));
    EXPECT_FALSE(Bypassed(u"*.example.com", u"http://example.com/"));
    EXPECT_TRUE(Bypassed(u".example.com", u"http://example.com/"));
    EXPECT_TRUE(Bypassed(u"example.com", u"http://a.b.example.com/"));
    EXPECT_FALSE(Bypassed(u"example.com", u"http://badexample.com/"));
    EXPECT_TRUE(Bypassed(u"https://secure.example", u"https://secure.example/"));
    EXPECT_TRUE(Bypassed(u"host:8443", u"https://host:8443/"));
    EXPECT_TRUE(Bypassed(u"[::1]:8080", u"http://[::1]:8080/"));
    EXPECT_TRUE(Bypassed(u"a.example, b.example;c.example", u"http://c.example/"));
    EXPECT_FALSE(Bypassed(u"", u"http://127.0.0.1/")) << "no implicit loopback bypass";
}

} // namespace
