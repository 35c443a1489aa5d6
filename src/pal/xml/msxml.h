// The XML DOM subset the component calls: documents, nodes and node lists with
// XPath 1.0 selection and namespace bindings, under the DOM document classes
// the component tries in turn. Interfaces keep the DOM's member order for the
// members present; nodes derive from IDispatch as the DOM's do.
#pragma once

#include "../com/dispatch.h"

struct IXMLDOMNodeList;
struct IXMLDOMElement;

struct IXMLDOMNode : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** childList) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** firstChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** nextSibling) = 0;
    virtual HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNewChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* childNode, IXMLDOMNode** oldChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL deep, IXMLDOMNode** cloneRoot) = 0;
    // The concatenated text of the node's subtree; put_text replaces the content.
    virtual HRESULT STDMETHODCALLTYPE get_text(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_text(BSTR text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_xml(BSTR* xmlString) = 0;
    // XPath 1.0 with the document's SelectionNamespaces prefixes; E_FAIL for an
    // expression that does not compile or selects no node set.
    virtual HRESULT STDMETHODCALLTYPE selectNodes(BSTR queryString, IXMLDOMNodeList** resultList) = 0;
    // S_FALSE and a null node when nothing matches.
    virtual HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR queryString, IXMLDOMNode** resultNode) = 0;

  protected:
    ~IXMLDOMNode() = default;
};

struct IXMLDOMNodeList : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** listItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(LONG* listLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** nextItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE reset() = 0;

  protected:
    ~IXMLDOMNodeList() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
    virtual HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) = 0;
    virtual HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) = 0;

  protected:
    ~IXMLDOMElement() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
    virtual HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** documentElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL isAsync) = 0;
    // *isSuccessful is VARIANT_FALSE and the answer S_FALSE when the text does not parse.
    virtual HRESULT STDMETHODCALLTYPE loadXML(BSTR bstrXML, VARIANT_BOOL* isSuccessful) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL isValidating) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL isResolving) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL isPreserving) = 0;

  protected:
    ~IXMLDOMDocument() = default;
};

struct IXMLDOMDocument2 : IXMLDOMDocument {
    // "SelectionLanguage" ("XPath") and "SelectionNamespaces" ("xmlns:p='uri' ...").
    virtual HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) = 0;

  protected:
    ~IXMLDOMDocument2() = default;
};

PAL_DECLARE_IID(IXMLDOMNode, "2933BF80-7B36-11D2-B20E-00C04F983E60");
PAL_DECLARE_IID(IXMLDOMDocument, "2933BF81-7B36-11D2-B20E-00C04F983E60");
PAL_DECLARE_IID(IXMLDOMNodeList, "2933BF82-7B36-11D2-B20E-00C04F983E60");
PAL_DECLARE_IID(IXMLDOMElement, "2933BF86-7B36-11D2-B20E-00C04F983E60");
PAL_DECLARE_IID(IXMLDOMDocument2, "2933BF95-7B36-11D2-B20E-00C04F983E60");

// The free-threaded DOM document classes, newest first.
inline constexpr CLSID CLSID_FreeThreadedDOMDocument60 = pal::MakeGuid("88D96A06-F192-11D4-A65F-0040963251E5");
inline constexpr CLSID CLSID_FreeThreadedDOMDocument40 = pal::MakeGuid("88D969C1-F192-11D4-A65F-0040963251E5");
inline constexpr CLSID CLSID_FreeThreadedDOMDocument30 = pal::MakeGuid("F5078F34-C551-11D3-89B9-0000F81FE221");
inline constexpr CLSID CLSID_FreeThreadedDOMDocument = pal::MakeGuid("2933BF91-7B36-11D2-B20E-00C04F983E60");
