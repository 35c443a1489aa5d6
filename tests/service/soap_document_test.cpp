// Request templates filled by XPath and replies reduced to their result, on
// the platform's DOM.
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com/error_info.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/utf.h"
#include "service/soap_document.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class SoapDocument : public testing_support::PrefixTest {
  protected:
    void SetUp() override { ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED)); }
    void TearDown() override { CoUninitialize(); }

    // The code a call throws, S_OK when it does not.
    template <typename Call> static HRESULT Outcome(Call&& call)
    {
        return pal::Boundary([&] {
            call();
            return S_OK;
        });
    }
    static std::u16string Xml(IXMLDOMNode* node)
    {
        pal::Bstr xml;
        EXPECT_EQ(S_OK, node->get_xml(xml.ReleaseAndGetAddressOf()));
        return xml.Str();
    }
    static pal::ComPtr<IXMLDOMDocument2> Reply(std::u16string_view body)
    {
        pal::ComPtr<IXMLDOMDocument2> reply;
        EXPECT_EQ(S_OK, orvana::CreateDomDocument(reply.ReleaseAndGetAddressOf()));
        const std::u16string text = std::u16string(u"<soap:Envelope xmlns:soap=\"") + orvana::kSoapEnvelopeNamespace +
                                    u"\"><soap:Body>" + std::u16string(body) + u"</soap:Body></soap:Envelope>";
        VARIANT_BOOL parsed = VARIANT_FALSE;
        reply->loadXML(pal::Bstr(text).Get(), &parsed);
        EXPECT_EQ(VARIANT_TRUE, parsed);
        orvana::BindSelectionNamespaces(reply.Get());
        return reply;
    }
    static bool Contains(const std::u16string& text, std::u16string_view part)
    {
        return text.find(part) != std::u16string::npos;
    }
};

TEST_F(SoapDocument, ParametersAreEscapedAndEmptyOnesLeaveTheRequest)
{
    const auto challenge = orvana::LoadRequestTemplate(orvana::kTemplateGetChallenge);
    orvana::SetRequestParameter(challenge.Get(), u"z:loginName", u"a<b&c");
    EXPECT_TRUE(Contains(Xml(challenge.Get()), u"<loginName>a&lt;b&amp;c</loginName>"));

    const auto login = orvana::LoadRequestTemplate(orvana::kTemplateAuthenticate);
    orvana::SetRequestParameter(login.Get(), u"z:proof", u"");
    const std::u16string xml = Xml(login.Get());
    EXPECT_FALSE(Contains(xml, u"proof"));
    EXPECT_TRUE(Contains(xml, u"challenge"));
    EXPECT_EQ(E_INVALIDARG, Outcome([&] { orvana::SetRequestParameter(login.Get(), u"", u"x"); }));
    EXPECT_EQ(E_FAIL, Outcome([&] { orvana::SetRequestParameter(login.Get(), u"z:proof", u"x"); }))
        << "a path that matches nothing (the element was removed)";
    EXPECT_EQ(E_UNEXPECTED, Outcome([] { orvana::LoadRequestTemplate(999); }));
}

TEST_F(SoapDocument, ListsBecomeOneElementPerPieceInOrder)
{
    const auto request = orvana::LoadRequestTemplate(orvana::kTemplateCreatePhotoSet);
    orvana::FillRequestList(request.Get(), u" x ||  y |", u"z:updater/z:Keywords/z:Keyword", false);
    orvana::FillRequestList(request.Get(), u"0012|abc", u"z:updater/z:Categories/z:Category", true);
    const std::u16string xml = Xml(request.Get());
    EXPECT_TRUE(Contains(xml, u"<Keywords><Keyword>x</Keyword><Keyword>y</Keyword></Keywords>")) << pal::ToUtf8(xml);
    EXPECT_TRUE(Contains(xml, u"<Categories><Category>12</Category><Category>0</Category></Categories>"));

    const auto empty = orvana::LoadRequestTemplate(orvana::kTemplateCreatePhotoSet);
    orvana::FillRequestList(empty.Get(), nullptr, u"z:updater/z:Keywords/z:Keyword", false);
    EXPECT_TRUE(Contains(Xml(empty.Get()), u"<Keywords/>"));
}

TEST_F(SoapDocument, RepliesReduceToTheirResultOrFault)
{
    bool fault = true;
    const std::u16string ns = orvana::kServiceNamespace;

    pal::ComPtr<IXMLDOMNode> result = orvana::ExtractResult(
        Reply(u"<XResponse xmlns=\"" + ns + u"\"><XResult>ok</XResult></XResponse>").Get(), fault);
    EXPECT_FALSE(fault);
    ASSERT_TRUE(result);
    pal::Bstr text;
    EXPECT_EQ(S_OK, orvana::GetNodeText(result.Get(), u".", text.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"ok", text.View());

    // A missing field leaves a description naming its path.
    EXPECT_EQ(E_FAIL, orvana::GetNodeText(result.Get(), u"z:PasswordSalt", text.ReleaseAndGetAddressOf()));
    pal::ComPtr<IErrorInfo> error;
    ASSERT_EQ(S_OK, GetErrorInfo(0, error.ReleaseAndGetAddressOf()));
    pal::Bstr description;
    error->GetDescription(description.ReleaseAndGetAddressOf());
    EXPECT_EQ(u"Unexpected data format. The node \"z:PasswordSalt\" was not found in XML document.",
              description.View());

    EXPECT_FALSE(orvana::ExtractResult(Reply(u"<XResponse xmlns=\"" + ns + u"\"/>").Get(), fault));
    EXPECT_FALSE(fault);
    EXPECT_EQ(E_FAIL, Outcome([&] { orvana::ExtractResult(Reply(u"").Get(), fault); }));

    result = orvana::ExtractResult(Reply(u"<soap:Fault><faultcode>soap:Client</faultcode></soap:Fault>").Get(), fault);
    EXPECT_TRUE(fault);
    ASSERT_TRUE(result);
    EXPECT_EQ(S_OK, orvana::GetNodeText(result.Get(), u"faultcode", text.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"soap:Client", text.View());
}

} // namespace
