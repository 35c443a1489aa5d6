// Changing a tree: removing, cloning, appending and replacing text. Filling a
// list by cloning its prototype is covered end to end by the SOAP document tests.
#include "tests/pal/xml/dom_fixture.h"

namespace xml_test {
namespace {

using Editing = DomTest;

TEST_F(Editing, RemovedElementLeavesTheRequestAndStaysUsable)
{
    auto doc = Load(Envelope(ApiElement(u"Create", u"<name>n</name><type>t</type>")));
    auto method = Select(doc.Get(), u"/s:Envelope/s:Body/z:Create");
    auto name = Select(method.Get(), u"z:name");
    ComPtr<IXMLDOMNode> removed;
    ASSERT_EQ(S_OK, method->removeChild(name.Get(), removed.ReleaseAndGetAddressOf()));
    EXPECT_EQ(name, removed) << "the DOM hands the removed child back";

    EXPECT_EQ(std::u16string::npos, Xml(doc).find(u"name"));
    EXPECT_EQ(u"<name xmlns=\"urn:example:api\">n</name>", Xml(removed));
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(S_FALSE, removed->get_parentNode(parent.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(parent);

    // Only a child of the node can be removed from it.
    auto type = Select(method.Get(), u"z:type");
    EXPECT_EQ(E_INVALIDARG, doc->removeChild(type.Get(), nullptr));
    EXPECT_EQ(E_INVALIDARG, method->removeChild(removed.Get(), nullptr));
    EXPECT_EQ(E_INVALIDARG, method->removeChild(nullptr, nullptr));
}

TEST_F(Editing, ShallowCloneKeepsAttributesButNotChildren)
{
    auto doc = Load(u"<r><e a='1'><c/></e></r>");
    ComPtr<IXMLDOMNode> clone;
    ASSERT_EQ(S_OK, Select(doc.Get(), u"/r/e")->cloneNode(VARIANT_FALSE, clone.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"<e a=\"1\"/>", Xml(clone));
}

TEST_F(Editing, AppendingANodeOfTheTreeMovesIt)
{
    auto doc = Load(u"<r><a><x/></a><b><y/></b></r>");
    auto a = Select(doc.Get(), u"/r/a");
    ASSERT_EQ(S_OK, a->appendChild(Select(doc.Get(), u"/r/b/y").Get(), nullptr));
    ASSERT_EQ(S_OK, a->appendChild(Select(doc.Get(), u"/r/a/x").Get(), nullptr));
    EXPECT_EQ(u"<r><a><y/><x/></a><b/></r>\r\n", Xml(doc));

    // Neither a cycle, nor a second root, nor a node of another document.
    EXPECT_EQ(E_FAIL, Select(doc.Get(), u"/r/a/y")->appendChild(a.Get(), nullptr));
    EXPECT_EQ(E_FAIL, doc->appendChild(a.Get(), nullptr));
    auto other = Load(u"<o/>");
    EXPECT_EQ(E_INVALIDARG, a->appendChild(Select(other.Get(), u"/o").Get(), nullptr));
    EXPECT_EQ(u"<r><a><y/><x/></a><b/></r>\r\n", Xml(doc));
}

TEST_F(Editing, AppendedTextNodesStayDistinct)
{
    auto doc = Load(u"<r><a>one</a><b>two</b></r>");
    auto one = Select(doc.Get(), u"/r/a/text()");
    auto two = Select(doc.Get(), u"/r/b/text()");
    auto b = Select(doc.Get(), u"/r/b");
    ASSERT_EQ(S_OK, b->appendChild(one.Get(), nullptr));
    ASSERT_EQ(S_OK, two->put_text(Bstr(u"2").Get()));
    EXPECT_EQ(u"one", Text(one));
    EXPECT_EQ(u"2one", Text(b));
}

TEST_F(Editing, PutTextReplacesTheContentAndFormerChildrenStayUsable)
{
    auto doc = Load(u"<r><e>a<c>b</c>d</e></r>");
    auto e = Select(doc.Get(), u"/r/e");
    auto c = Select(e.Get(), u"c");
    ASSERT_EQ(S_OK, e->put_text(Bstr(u"new & <fresh>").Get()));
    EXPECT_EQ(u"<e>new &amp; &lt;fresh&gt;</e>", Xml(e));
    EXPECT_EQ(u"b", Text(c));
    ASSERT_EQ(S_OK, e->put_text(Bstr(u"").Get()));
    EXPECT_EQ(u"<e/>", Xml(e));
}

} // namespace
} // namespace xml_test
