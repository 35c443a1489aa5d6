// WinHTTP session handles and the proxy option.
#include "pal/unique_global.h"
#include "pal/unique_internet.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string Take(LPWSTR text)
{
    std::u16string copy = text ? std::u16string(text) : u"(null)";
    GlobalFree(text);
    return copy;
}

TEST(WinHttpSession, ProxyOptionRoundTripsInGlobalStringsUntilClosed)
{
    SetLastError(0);
    EXPECT_EQ(WinHttpOpen(u"A", WINHTTP_ACCESS_TYPE_NAMED_PROXY, nullptr, nullptr, 0), nullptr) << "names no proxy";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    HINTERNET session = WinHttpOpen(u"A", WINHTTP_ACCESS_TYPE_NAMED_PROXY, u"p1:8080", u"<local>", WINHTTP_FLAG_ASYNC);
    ASSERT_NE(session, nullptr);
    WINHTTP_PROXY_INFO info{};
    DWORD size = 0;
    EXPECT_FALSE(WinHttpQueryOption(session, WINHTTP_OPTION_PROXY, nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_EQ(size, sizeof info);
    ASSERT_TRUE(WinHttpQueryOption(session, WINHTTP_OPTION_PROXY, &info, &size));
    EXPECT_EQ(info.dwAccessType, WINHTTP_ACCESS_TYPE_NAMED_PROXY);
    EXPECT_EQ(Take(info.lpszProxy), u"p1:8080");
    EXPECT_EQ(Take(info.lpszProxyBypass), u"<local>");

    std::u16string list = u"p2:3128; p3:3128";
    WINHTTP_PROXY_INFO set{WINHTTP_ACCESS_TYPE_NO_PROXY, list.data(), nullptr};
    ASSERT_TRUE(WinHttpSetOption(session, WINHTTP_OPTION_PROXY, &set, sizeof set));
    ASSERT_TRUE(WinHttpQueryOption(session, WINHTTP_OPTION_PROXY, &info, &size));
    EXPECT_EQ(info.dwAccessType, WINHTTP_ACCESS_TYPE_NO_PROXY);
    EXPECT_EQ(Take(info.lpszProxy), u"(null)") << "a direct setting keeps no list";
    EXPECT_EQ(Take(info.lpszProxyBypass), u"(null)");

    EXPECT_TRUE(WinHttpCloseHandle(session));
    EXPECT_FALSE(WinHttpCloseHandle(session));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(WinHttpSetTimeouts(session, 0, 0, 0, 0)) << "a closed handle stays closed";
}

} // namespace
