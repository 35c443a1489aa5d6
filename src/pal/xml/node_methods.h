// IXMLDOMNode for both documents and node objects: each member takes the
// document's mutex and runs the matching operation on the object's target.
#pragma once

#include "dispatch_stubs.h"
#include "node_access.h"
#include "node_operations.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"

namespace pal::xml {

template <typename Base> class NodeMethods : public DispatchStubs<Base>, public INodeAccess {
  public:
    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override
    {
        return Locked([&](const NodeRef& ref) { return ops::NodeName(ref.node, name); });
    }
    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override
    {
        return Locked([&](const NodeRef& ref) { return ops::ParentNode(ref, parent); });
    }
    HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** childList) override
    {
        return Locked([&](const NodeRef& ref) { return ops::ChildNodes(ref, childList); });
    }
    HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** firstChild) override
    {
        return Locked([&](const NodeRef& ref) { return ops::FirstChild(ref, firstChild); });
    }
    HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** nextSibling) override
    {
        return Locked([&](const NodeRef& ref) { return ops::NextSibling(ref, nextSibling); });
    }
    HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) override
    {
        return WithChild(newChild, outNewChild,
                         [](const NodeRef& ref, xmlNodePtr child) { return ops::AppendChild(ref, child); });
    }
    HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* childNode, IXMLDOMNode** oldChild) override
    {
        return WithChild(childNode, oldChild,
                         [](const NodeRef& ref, xmlNodePtr child) { return ops::RemoveChild(ref, child); });
    }
    HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL deep, IXMLDOMNode** cloneRoot) override
    {
        return Locked([&](const NodeRef& ref) { return ops::CloneNode(ref, deep != VARIANT_FALSE, cloneRoot); });
    }
    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override
    {
        return Locked([&](const NodeRef& ref) { return ops::Text(ref.node, text); });
    }
    HRESULT STDMETHODCALLTYPE put_text(BSTR text) override
    {
        return Locked([&](const NodeRef& ref) { return ops::PutText(ref, text); });
    }
    HRESULT STDMETHODCALLTYPE get_xml(BSTR* xmlString) override
    {
        return Locked([&](const NodeRef& ref) { return ops::Xml(ref, xmlString); });
    }
    HRESULT STDMETHODCALLTYPE selectNodes(BSTR queryString, IXMLDOMNodeList** resultList) override
    {
        return Locked([&](const NodeRef& ref) { return ops::SelectNodes(ref, queryString, resultList); });
    }
    HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR queryString, IXMLDOMNode** resultNode) override
    {
        return Locked([&](const NodeRef& ref) { return ops::SelectSingleNode(ref, queryString, resultNode); });
    }

  protected:
    template <typename Body> HRESULT Locked(Body&& body)
    {
        return Boundary([&] {
            std::lock_guard lock(this->Core()->Mutex());
            return body(NodeRef{this->Core(), this->Target()});
        });
    }

  private:
    // The child must be a node of this document: another implementation's
    // node, or one of another document, is refused with E_INVALIDARG. The
    // DOM hands the child itself back.
    template <typename Body> HRESULT WithChild(IXMLDOMNode* child, IXMLDOMNode** out, Body&& body)
    {
        if (out) *out = nullptr;
        if (!child) return E_INVALIDARG;
        ComPtr<INodeAccess> access;
        if (FAILED(child->QueryInterface(InterfaceId<INodeAccess>::value, access.ReleaseAndGetVoidAddress())) ||
            access->Core() != this->Core())
            return E_INVALIDARG;
        const HRESULT hr = Locked([&](const NodeRef& ref) { return body(ref, access->Target()); });
        if (SUCCEEDED(hr) && out) {
            child->AddRef();
            *out = child;
        }
        return hr;
    }
};

} // namespace pal::xml
