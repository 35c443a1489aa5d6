// Document classes, loading, properties, selection and serialisation.
#include "pal/bstr.h"
#include "pal/com/dispatch.h"
#include "pal/com_ptr.h"
#include "pal/variant.h"
#include "tests/pal/xml/dom_fixture.h"

#include <fstream>

namespace xml_test {
namespace {

using DocumentClasses = DomTest;
using Loading = DomTest;
using Selection = DomTest;

TEST_F(DocumentClasses, DocumentsAreNamedAndCannotBeAggregated)
{
    ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, NewDocument(CLSID_FreeThreadedDOMDocument30).As(outer));
    EXPECT_EQ(u"#document", Name(NewDocument()));
    void* aggregated = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION,
              CoCreateInstance(CLSID_FreeThreadedDOMDocument, outer.Get(), CLSCTX_ALL, IID_IUnknown, &aggregated));
}

TEST_F(Loading, TemplateParameterIsFoundByPrefixesAndItsTextSerialisesEscaped)
{
    auto doc = Load(Envelope(ApiElement(u"GetChallenge", u"<loginName></loginName>")));
    auto login = Select(doc.Get(), u"/s:Envelope/s:Body/z:GetChallenge/z:loginName");
    ASSERT_TRUE(login);
    ASSERT_EQ(S_OK, login->put_text(Bstr(u"a<b & \"c\"").Get()));
    EXPECT_EQ(u"a<b & \"c\"", Text(login));

    // No encoding in the declaration: the text is Unicode by now.
    EXPECT_EQ(u"<?xml version=\"1.0\"?>\r\n<Envelope xmlns=\"" + std::u16string(kEnvelopeUri) + u"\"><Body>" +
                  ApiElement(u"GetChallenge", u"<loginName>a&lt;b &amp; \"c\"</loginName>") + u"</Body></Envelope>\r\n",
              Xml(doc));
}

TEST_F(Loading, UnparsableTextAnswersFalseAndLeavesAnEmptyDocument)
{
    auto doc = Load(u"<a><b/></a>");
    for (const char16_t* bad : {u"<a><b></a>", u"", u"text only", u"<a/><b/>"}) {
        VARIANT_BOOL ok = VARIANT_TRUE;
        EXPECT_EQ(S_FALSE, doc->loadXML(Bstr(bad).Get(), &ok));
        EXPECT_EQ(VARIANT_FALSE, ok);
        ComPtr<IXMLDOMElement> root;
        EXPECT_EQ(S_FALSE, doc->get_documentElement(root.ReleaseAndGetAddressOf()));
        EXPECT_FALSE(root);
        EXPECT_EQ(u"", Xml(doc));
    }
}

TEST_F(Loading, BlankTextBetweenElementsIsDroppedUnlessWhiteSpaceIsPreserved)
{
    for (VARIANT_BOOL preserve : {VARIANT_FALSE, VARIANT_TRUE}) {
        auto doc = NewDocument();
        ASSERT_EQ(S_OK, doc->put_preserveWhiteSpace(preserve));
        VARIANT_BOOL ok = VARIANT_FALSE;
        ASSERT_EQ(S_OK, doc->loadXML(Bstr(u"<a>\n  <b>x y</b>\n</a>").Get(), &ok));
        EXPECT_EQ(preserve ? u"#text" : u"b", Name(Select(doc.Get(), u"/a/node()[1]")));
        EXPECT_EQ(preserve ? u"\n  x y\n" : u"x y", Text(doc));
    }
}

TEST_F(Loading, NothingOutsideTheTextIsRead)
{
    const auto secret = prefix_.Path() / "secret.txt";
    std::ofstream(secret) << "SECRET";
    const std::u16string uri = u"file://" + secret.u16string();
    const std::u16string text =
        u"<!DOCTYPE a [<!ENTITY e SYSTEM \"" + uri + u"\"><!ENTITY i \"<b>in</b>\">]><a>&e;&i;</a>";
    auto doc = Load(text);
    EXPECT_EQ(std::u16string::npos, Xml(doc).find(u"SECRET"));
    EXPECT_EQ(u"in", Text(doc));
}

TEST_F(Loading, SelectionNamespacesTakeEitherQuoteAndAnySpacing)
{
    auto doc = Load(u"<r xmlns='urn:one'><c xmlns='urn:two'>v</c></r>");
    const std::u16string bindings = u"  xmlns:p='urn:one'\n\txmlns:q = \"urn:two\" ";
    ASSERT_EQ(S_OK, SetProperty(doc.Get(), u"SelectionNamespaces", bindings));
    EXPECT_EQ(u"v", Text(Select(doc.Get(), u"/p:r/q:c")));

    pal::Variant value;
    ASSERT_EQ(S_OK, doc->getProperty(Bstr(u"SelectionNamespaces").Get(), &value));
    ASSERT_EQ(VT_BSTR, value.vt);
    EXPECT_EQ(bindings, std::u16string(value.bstrVal));

    // A malformed value fails and leaves the bindings as they were.
    EXPECT_EQ(E_FAIL, SetProperty(doc.Get(), u"SelectionNamespaces", u"xmlns:p='urn:one"));
    EXPECT_EQ(E_FAIL, SetProperty(doc.Get(), u"SelectionNamespaces", u"xmlns:p='urn:one'xmlns:q='urn:two'"));
    EXPECT_EQ(u"v", Text(Select(doc.Get(), u"/p:r/q:c")));

    EXPECT_EQ(E_INVALIDARG, SetProperty(doc.Get(), u"NoSuchProperty", u"x"));
    pal::Variant unknown;
    EXPECT_EQ(E_INVALIDARG, doc->getProperty(Bstr(u"NoSuchProperty").Get(), &unknown));
}

TEST_F(Selection, NoMatchAnswersFalseAndAnInvalidExpressionFails)
{
    auto doc = Load(Envelope(ApiElement(u"M", u"<a>1</a>")));
    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(S_FALSE,
              doc->selectSingleNode(Bstr(u"/s:Envelope/s:Body/z:M/z:missing").Get(), node.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(node);
    EXPECT_EQ(E_FAIL, doc->selectSingleNode(Bstr(u"/s:Envelope[").Get(), node.ReleaseAndGetAddressOf()));
    EXPECT_EQ(E_FAIL, doc->selectSingleNode(Bstr(u"/unbound:Envelope").Get(), node.ReleaseAndGetAddressOf()));
    EXPECT_EQ(E_FAIL, doc->selectSingleNode(Bstr(u"count(//*)").Get(), node.ReleaseAndGetAddressOf()));
}

TEST_F(Selection, PathsAreRelativeToTheNodeAndAbsoluteOnesStartAtTheDocument)
{
    auto doc = Load(Envelope(ApiElement(u"M", u"<a>1</a><b><a>2</a><a>3</a></b>")));
    auto b = Select(doc.Get(), u"//z:b");
    EXPECT_EQ(u"2", Text(Select(b.Get(), u"z:a")));
    EXPECT_EQ(u"1", Text(Select(b.Get(), u"/s:Envelope/s:Body/z:M/z:a")));
    EXPECT_EQ(u"23", Text(b)) << "the text of a subtree is its texts joined";
    EXPECT_EQ(u"123", Text(doc));

    ComPtr<IXMLDOMNodeList> list;
    ASSERT_EQ(S_OK, doc->selectNodes(Bstr(u"//z:a").Get(), list.ReleaseAndGetAddressOf()));
    ComPtr<IXMLDOMNode> item;
    EXPECT_EQ(S_FALSE, list->get_item(3, item.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(item);

    std::u16string walked;
    for (int pass = 0; pass < 2; ++pass) {
        while (list->nextNode(item.ReleaseAndGetAddressOf()) == S_OK)
            walked += Text(item);
        EXPECT_FALSE(item);
        list->reset();
    }
    EXPECT_EQ(u"123123", walked);
}

TEST_F(Selection, NodeNamesAreQualifiedAsWritten)
{
    auto doc = Load(u"<p:r xmlns:p='urn:one' p:at='v'>t<!--c--><![CDATA[d]]></p:r>");
    ASSERT_EQ(S_OK, SetProperty(doc.Get(), u"SelectionNamespaces", u"xmlns:one='urn:one'"));
    auto root = Select(doc.Get(), u"/one:r");
    EXPECT_EQ(u"p:r", Name(root));
    EXPECT_EQ(u"p:at", Name(Select(root.Get(), u"@one:at")));
    EXPECT_EQ(u"#text", Name(Select(root.Get(), u"text()[1]")));
    EXPECT_EQ(u"#comment", Name(Select(root.Get(), u"comment()")));
    EXPECT_EQ(u"#cdata-section", Name(Select(root.Get(), u"text()[2]")));

    ComPtr<IXMLDOMElement> element;
    ASSERT_EQ(S_OK, doc->get_documentElement(element.ReleaseAndGetAddressOf()));
    pal::Variant value;
    ASSERT_EQ(S_OK, element->getAttribute(Bstr(u"p:at").Get(), &value));
    EXPECT_EQ(u"v", std::u16string(value.bstrVal));
    ComPtr<IXMLDOMElement> notElement;
    EXPECT_EQ(E_NOINTERFACE, Select(root.Get(), u"text()[1]").As(notElement));
}

} // namespace
} // namespace xml_test
