// Node objects outlive the pointers they came from, and documents are used
// from several threads. The sanitizer build is what proves these.
#include "tests/pal/xml/dom_fixture.h"

#include <thread>

namespace xml_test {
namespace {

using Lifetime = DomTest;
using Threads = DomTest;

TEST_F(Lifetime, ResultNodeKeepsItsDocumentAndBindingsAlive)
{
    ComPtr<IXMLDOMNode> result;
    {
        auto doc = Load(Envelope(ApiElement(u"R", u"<Result><Id>7</Id></Result>")));
        result = Select(doc.Get(), u"/s:Envelope/s:Body/z:R/z:Result");
    }
    EXPECT_EQ(u"7", Text(Select(result.Get(), u"z:Id")));
    ComPtr<IXMLDOMNode> parent;
    ASSERT_EQ(S_OK, result->get_parentNode(parent.ReleaseAndGetAddressOf()));
    EXPECT_EQ(u"R", Name(parent));
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
