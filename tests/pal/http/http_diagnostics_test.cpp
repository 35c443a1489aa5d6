// The layer's HTTP trace: off, nothing is kept; on, the last exchange of the
// process is there to read, replies cut to their start, failures with their code.
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/http/http_diagnostics.h"
#include "pal/http/xml_http.h"
#include "pal/unique_internet.h"
#include "tests/pal/http/loopback_server.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using testing_support::LoopbackServer;

class HttpDiagnostics : public testing_support::PrefixTest {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        pal::http::ClearLastExchange();
    }
    void TearDown() override
    {
        pal::http::SetDiagnostics(false);
        pal::http::ClearLastExchange();
        CoUninitialize();
    }

    static HRESULT Post(const std::string& url)
    {
        pal::ComPtr<IXMLHTTPRequest> request;
        EXPECT_EQ(CoCreateInstance(CLSID_ServerXMLHTTP60, nullptr, CLSCTX_SERVER, IID_IXMLHTTPRequest,
                                   request.ReleaseAndGetVoidAddress()),
                  S_OK);
        VARIANT synchronous{};
        synchronous.vt = VT_BOOL;
        synchronous.boolVal = VARIANT_FALSE;
        const pal::Bstr wideUrl(std::u16string(url.begin(), url.end()));
        if (const HRESULT hr =
                request->open(pal::Bstr(u"POST").Get(), wideUrl.Get(), synchronous, VARIANT{}, VARIANT{});
            FAILED(hr))
            return hr;
        const pal::Bstr body(u"<x/>");
        VARIANT text{};
        text.vt = VT_BSTR;
        text.bstrVal = body.Get();
        return request->send(text);
    }

    testing_support::ProxyEnvironment environment_;
};

TEST_F(HttpDiagnostics, KeepsNothingUntilSwitchedOnThenTheLastReplyCut)
{
    const std::string fault = "<soap:Envelope><soap:Body><soap:Fault>" + std::string(6000, ' ') + "</soap:Fault>";
    LoopbackServer server(
        LoopbackServer::Reply("500 Internal Server Error", "Content-Type: text/xml; charset=utf-8\r\n", fault));

    ASSERT_EQ(Post(server.Url("/first")), S_OK);
    EXPECT_FALSE(pal::http::LastExchange()) << "off by default";

    pal::http::SetDiagnostics(true);
    ASSERT_EQ(Post(server.Url("/second")), S_OK) << "an error status is no failure of the send";
    const auto last = pal::http::LastExchange();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->method, "POST");
    EXPECT_EQ(last->url, server.Url("/second"));
    EXPECT_EQ(last->result, S_OK);
    EXPECT_EQ(last->status, 500);
    EXPECT_EQ(last->statusText, "Internal Server Error");
    EXPECT_EQ(last->contentType, "text/xml; charset=utf-8");
    EXPECT_EQ(last->body, fault.substr(0, pal::http::kDiagnosticBodyBytes));
}

TEST_F(HttpDiagnostics, ATransportFailureIsKeptWithItsCodeAndNoReply)
{
    pal::http::SetDiagnostics(true);
    LoopbackServer server(LoopbackServer::Reply("200 OK", "", "done"));
    ASSERT_EQ(Post(server.Url()), S_OK);

    const pal::UniqueFd closed(socket(AF_INET, SOCK_STREAM, 0));
    const std::string refused = "http://127.0.0.1:" + std::to_string(testing_support::BindLoopback(closed.Get())) + "/";
    ASSERT_EQ(Post(refused), HRESULT_FROM_WIN32(ERROR_WINHTTP_CANNOT_CONNECT));
    const auto last = pal::http::LastExchange();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->url, refused) << "the failed exchange replaces the answered one";
    EXPECT_EQ(last->result, HRESULT_FROM_WIN32(ERROR_WINHTTP_CANNOT_CONNECT));
    EXPECT_EQ(last->status, 0);
    EXPECT_EQ(last->body, "");
}

} // namespace
