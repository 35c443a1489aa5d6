// The IXMLDOMNode members, shared by documents and node objects. Each runs
// with the core's mutex held and answers as the DOM does: S_FALSE and a null
// node where there is none.
#pragma once

#include "document_core.h"
#include "msxml.h"

#include <memory>
#include <string>

namespace pal::xml {

struct NodeRef {
    const std::shared_ptr<DocumentCore>& core;
    xmlNodePtr node;
};

namespace ops {

// prefix:local or local, as written in the document.
std::string QualifiedName(xmlNodePtr node);

HRESULT NodeName(xmlNodePtr node, BSTR* name);
HRESULT ParentNode(const NodeRef& ref, IXMLDOMNode** parent);
HRESULT ChildNodes(const NodeRef& ref, IXMLDOMNodeList** children);
HRESULT FirstChild(const NodeRef& ref, IXMLDOMNode** child);
HRESULT NextSibling(const NodeRef& ref, IXMLDOMNode** sibling);
// child belongs to ref's core; a child already in a tree moves.
HRESULT AppendChild(const NodeRef& ref, xmlNodePtr child);
HRESULT RemoveChild(const NodeRef& ref, xmlNodePtr child);
HRESULT CloneNode(const NodeRef& ref, bool deep, IXMLDOMNode** clone);
HRESULT Text(xmlNodePtr node, BSTR* text);
HRESULT PutText(const NodeRef& ref, BSTR text);
HRESULT Xml(const NodeRef& ref, BSTR* xml);
HRESULT SelectNodes(const NodeRef& ref, BSTR query, IXMLDOMNodeList** nodes);
HRESULT SelectSingleNode(const NodeRef& ref, BSTR query, IXMLDOMNode** node);

} // namespace ops
} // namespace pal::xml
