// Fixture for the XML HTTP request tests: a fresh prefix, the multithreaded
// apartment, no proxy variables, and small helpers around the raw interface.
#pragma once

#include "pal/com/activation.h"
#include "pal/com/com_ptr.h"
#include "pal/http/xml_http.h"
#include "tests/support/proxy_environment.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace testing_support {

class XmlHttpTest : public PrefixTest {
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

    ProxyEnvironment environment_;
};

} // namespace testing_support
