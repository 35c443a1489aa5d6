// DOM tests create their documents as the component does, through
// CoCreateInstance, in a prefix of their own, and read results as UTF-16.
#pragma once

#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/xml/msxml.h"
#include "tests/support/temporary_prefix.h"

#include <gtest/gtest.h>
#include <string>

namespace xml_test {

using pal::Bstr;
using pal::ComPtr;

constexpr char16_t kEnvelopeUri[] = u"http://schemas.xmlsoap.org/soap/envelope/";
constexpr char16_t kApiUri[] = u"urn:example:api";
constexpr char16_t kBindings[] = u"xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:z=\"urn:example:api\"";

// A request as a template holds it: default namespaces only, no white space.
inline std::u16string Envelope(std::u16string_view method)
{
    return u"<?xml version=\"1.0\" encoding=\"utf-8\"?><Envelope xmlns=\"" + std::u16string(kEnvelopeUri) +
           u"\"><Body>" + std::u16string(method) + u"</Body></Envelope>";
}

inline std::u16string ApiElement(std::u16string_view name, std::u16string_view content)
{
    return u"<" + std::u16string(name) + u" xmlns=\"" + kApiUri + u"\">" + std::u16string(content) + u"</" +
           std::u16string(name) + u">";
}

class DomTest : public testing_support::PrefixTest {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }

    static ComPtr<IXMLDOMDocument2> NewDocument(REFCLSID clsid = CLSID_FreeThreadedDOMDocument60)
    {
        ComPtr<IXMLDOMDocument2> doc;
        EXPECT_EQ(S_OK,
                  CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2, doc.ReleaseAndGetVoidAddress()));
        return doc;
    }

    // A parsed document with the s: and z: prefixes bound.
    static ComPtr<IXMLDOMDocument2> Load(std::u16string_view text)
    {
        ComPtr<IXMLDOMDocument2> doc = NewDocument();
        VARIANT_BOOL ok = VARIANT_FALSE;
        EXPECT_EQ(S_OK, doc->loadXML(Bstr(text).Get(), &ok)) << std::string(text.begin(), text.end());
        EXPECT_EQ(VARIANT_TRUE, ok);
        EXPECT_EQ(S_OK, SetProperty(doc.Get(), u"SelectionNamespaces", kBindings));
        return doc;
    }

    static HRESULT SetProperty(IXMLDOMDocument2* doc, std::u16string_view name, std::u16string_view value)
    {
        Bstr text(value);
        VARIANT v{};
        v.vt = VT_BSTR;
        v.bstrVal = text.Get();
        return doc->setProperty(Bstr(name).Get(), v);
    }

    static ComPtr<IXMLDOMNode> Select(IXMLDOMNode* context, std::u16string_view path)
    {
        ComPtr<IXMLDOMNode> node;
        EXPECT_EQ(S_OK, context->selectSingleNode(Bstr(path).Get(), node.ReleaseAndGetAddressOf()))
            << std::string(path.begin(), path.end());
        return node;
    }

    template <typename N> static std::u16string Xml(const ComPtr<N>& n) { return Get(n.Get(), &N::get_xml); }
    template <typename N> static std::u16string Text(const ComPtr<N>& n) { return Get(n.Get(), &N::get_text); }
    template <typename N> static std::u16string Name(const ComPtr<N>& n) { return Get(n.Get(), &N::get_nodeName); }

  private:
    static std::u16string Get(IXMLDOMNode* node, HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*getter)(BSTR*))
    {
        Bstr text;
        EXPECT_EQ(S_OK, (node->*getter)(text.ReleaseAndGetAddressOf()));
        return text.Str();
    }
};

} // namespace xml_test
