// Request templates filled by XPath and replies reduced to their result, on
// the platform's DOM.
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com/error_info.h"
#include "pal/com_ptr.h"
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

    static pal::ComPtr<IXMLDOMDocument2> Template(UINT id)
    {
        pal::ComPtr<IXMLDOMDocument2> request;
        EXPECT_EQ(S_OK, orvana::LoadRequestTemplate(id, request.ReleaseAndGetAddressOf()));
        return request;
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
        EXPECT_EQ(S_OK, orvana::BindSelectionNamespaces(reply.Get()));
        return reply;
    }
    static bool Contains(const std::u16string& text, std::u16string_view part)
    {
        return text.find(part) != std::u16string::npos;
    }
};

TEST_F(SoapDocument, ParametersAreEscapedAndEmptyOnesLeaveTheRequest)
{
    const auto challenge = Template(orvana::kTemplateGetChallenge);
    ASSERT_EQ(S_OK, orvana::SetRequestParameter(challenge.Get(), u"z:loginName", u"a<b&c"));
    EXPECT_TRUE(Contains(Xml(challenge.Get()), u"<loginName>a&lt;b&amp;c</loginName>"));

    const auto login = Template(orvana::kTemplateAuthenticate);
    ASSERT_EQ(S_OK, orvana::SetRequestParameter(login.Get(), u"z:proof", u""));
    const std::u16string xml = Xml(login.Get());
    EXPECT_FALSE(Contains(xml, u"proof"));
    EXPECT_TRUE(Contains(xml, u"challenge"));
    EXPECT_EQ(E_INVALIDARG, orvana::SetRequestParameter(login.Get(), u"", u"x"));
}

TEST_F(SoapDocument, ListsBecomeOneElementPerPieceInOrder)
{
    const auto request = Template(orvana::kTemplateCreatePhotoSet);
    ASSERT_EQ(S_OK, orvana::FillRequestList(request.Get(), u" x ||  y |", u"z:updater/z:Keywords/z:Keyword", false));
    ASSERT_EQ(S_OK, orvana::FillRequestList(request.Get(), u"0012|abc", u"z:updater/z:Categories/z:Category", true));
    const std::u16string xml = Xml(request.Get());
    EXPECT_TRUE(Contains(xml, u"<Keywords><Keyword>x</Keyword><Keyword>y</Keyword></Keywords>")) << pal::ToUtf8(xml);
    EXPECT_TRUE(Contains(xml, u"<Categories><Category>12</Category><Category>0</Category></Categories>"));

    const auto empty = Template(orvana::kTemplateCreatePhotoSet);
    ASSERT_EQ(S_OK, orvana::FillRequestList(empty.Get(), nullptr, u"z:updater/z:Keywords/z:Keyword", false));
    EXPECT_TRUE(Contains(Xml(empty.Get()), u"<Keywords/>"));
}

TEST_F(SoapDocument, RepliesReduceToTheirResultOrFault)
{
    bool fault = true;
    pal::ComPtr<IXMLDOMNode> result;
    const std::u16string ns = orvana::kServiceNamespace;

    EXPECT_EQ(S_OK,
              orvana::ExtractResult(Reply(u"<XResponse xmlns=\"" + ns + u"\"><XResult>ok</XResult></XResponse>").Get(),
                                    result.ReleaseAndGetAddressOf(), fault));
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

    EXPECT_EQ(S_FALSE, orvana::ExtractResult(Reply(u"<XResponse xmlns=\"" + ns + u"\"/>").Get(),
                                             result.ReleaseAndGetAddressOf(), fault));
    EXPECT_FALSE(result);
    EXPECT_EQ(E_FAIL, orvana::ExtractResult(Reply(u"").Get(), result.ReleaseAndGetAddressOf(), fault));

    EXPECT_EQ(S_FALSE,
              orvana::ExtractResult(Reply(u"<soap:Fault><faultcode>soap:Client</faultcode></soap:Fault>").Get(),
                                    result.ReleaseAndGetAddressOf(), fault));
    EXPECT_TRUE(fault);
}

} // namespace
