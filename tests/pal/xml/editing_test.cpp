// Changing a tree (filling a list from its prototype is covered by the SOAP
// document tests), nodes outliving their tree, and documents used from several
// threads; the sanitizer build is what proves the last two.
#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "tests/pal/xml/dom_fixture.h"

#include <thread>

namespace xml_test {
namespace {

using Editing = DomTest;
using Lifetime = DomTest;
using Threads = DomTest;

TEST_F(Editing, RemovedElementStaysUsableAndOnlyAChildCanBeRemoved)
{
    auto doc = Load(Envelope(ApiElement(u"Create", u"<name>n</name><type>t</type>")));
    auto method = Select(doc.Get(), u"/s:Envelope/s:Body/z:Create");
    auto name = Select(method.Get(), u"z:name");
    ComPtr<IXMLDOMNode> removed;
    ASSERT_EQ(S_OK, method->removeChild(name.Get(), removed.ReleaseAndGetAddressOf()));
    EXPECT_EQ(name, removed) << "the DOM hands the removed child back";
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
}

// The moved element took its namespace from an ancestor that is freed once
// its removed subtree is released; serialising afterwards must not reach it.
TEST_F(Lifetime, MovedNodeSurvivesItsFormerAncestor)
{
    auto doc = Load(u"<r><old xmlns:p='urn:p'><p:item p:a='1'>v</p:item></old><new/></r>");
    ASSERT_EQ(S_OK, SetProperty(doc.Get(), u"SelectionNamespaces", u"xmlns:q='urn:p'"));
    auto item = Select(doc.Get(), u"/r/old/q:item");
    {
        auto old = Select(doc.Get(), u"/r/old");
        ASSERT_EQ(S_OK, Select(doc.Get(), u"/r")->removeChild(old.Get(), nullptr));
        ASSERT_EQ(S_OK, Select(doc.Get(), u"/r/new")->appendChild(item.Get(), nullptr));
    }
    EXPECT_EQ(u"<r><new><p:item xmlns:p=\"urn:p\" p:a=\"1\">v</p:item></new></r>\r\n", Xml(doc));
    EXPECT_EQ(u"v", Text(Select(doc.Get(), u"/r/new/q:item[@q:a='1']")));
}

TEST_F(Lifetime, NodesOfADetachedSubtreeKeepItUntilTheLastGoes)
{
    auto doc = Load(u"<r><a><b>1</b><c>2</c></a></r>");
    auto b = Select(doc.Get(), u"/r/a/b");
    auto c = Select(doc.Get(), u"/r/a/c");
    ASSERT_EQ(S_OK, Select(doc.Get(), u"/r")->removeChild(Select(doc.Get(), u"/r/a").Get(), nullptr));
    b = nullptr;
    ComPtr<IXMLDOMNode> a;
    ASSERT_EQ(S_OK, c->get_parentNode(a.ReleaseAndGetAddressOf()));
    c = nullptr;
    EXPECT_EQ(u"<a><b>1</b><c>2</c></a>", Xml(a));

    // Clones that are never attached go with their last reference too.
    ComPtr<IXMLDOMNode> clone;
    ASSERT_EQ(S_OK, a->cloneNode(VARIANT_TRUE, clone.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, clone->selectSingleNode(Bstr(u"b").Get(), b.ReleaseAndGetAddressOf()));
    clone = nullptr;
    EXPECT_EQ(u"1", Text(b));
}

TEST_F(Lifetime, NodesOfAReplacedTreeStayReadable)
{
    auto doc = Load(u"<first><x>1</x></first>");
    auto x = Select(doc.Get(), u"/first/x");
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(S_OK, doc->loadXML(Bstr(u"<second/>").Get(), &ok));
    EXPECT_EQ(u"<x>1</x>", Xml(x));
    EXPECT_EQ(u"<second/>\r\n", Xml(doc));
    EXPECT_EQ(E_INVALIDARG, doc->appendChild(x.Get(), nullptr)) << "x belongs to the replaced tree";
}

TEST_F(Threads, SeparateDocumentsAndReadersOfASharedOne)
{
    auto shared = Load(Envelope(ApiElement(u"R", u"<a>1</a><b>2</b>")));
    auto a = Select(shared.Get(), u"//z:a");
    auto b = Select(shared.Get(), u"//z:b");
    constexpr int kRounds = 200;

    auto ownDocuments = [](std::u16string* failure) {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (int i = 0; i < kRounds && failure->empty(); ++i) {
            auto doc = Load(Envelope(ApiElement(u"M", u"<p/>")));
            auto p = Select(doc.Get(), u"/s:Envelope/s:Body/z:M/z:p");
            const std::u16string value = u"v" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26));
            p->put_text(Bstr(value).Get());
            ComPtr<IXMLDOMNode> clone;
            p->cloneNode(VARIANT_TRUE, clone.ReleaseAndGetAddressOf());
            Select(doc.Get(), u"/s:Envelope/s:Body/z:M")->appendChild(clone.Get(), nullptr);
            if (Text(doc) != value + value) *failure = Text(doc);
        }
        CoUninitialize();
    };
    auto reader = [&](std::u16string* failure) {
        for (int i = 0; i < kRounds && failure->empty(); ++i) {
            const std::u16string text = Text(a);
            if (text != u"1" && text != u"one") *failure = text;
            Select(shared.Get(), u"/s:Envelope/s:Body/z:R/z:b");
            Xml(shared);
        }
    };

    std::u16string failures[3];
    std::thread threads[] = {std::thread(ownDocuments, &failures[0]), std::thread(ownDocuments, &failures[1]),
                             std::thread(reader, &failures[2])};
    for (int i = 0; i < kRounds; ++i) {
        a->put_text(Bstr(i % 2 ? u"one" : u"1").Get());
        ComPtr<IXMLDOMNode> clone;
        b->cloneNode(VARIANT_TRUE, clone.ReleaseAndGetAddressOf());
        Select(shared.Get(), u"/s:Envelope/s:Body/z:R")->appendChild(clone.Get(), nullptr);
        Select(shared.Get(), u"/s:Envelope/s:Body/z:R")->removeChild(clone.Get(), nullptr);
    }
    for (auto& thread : threads)
        thread.join();
    for (const auto& failure : failures)
        EXPECT_EQ(u"", failure);
}

} // namespace
} // namespace xml_test
