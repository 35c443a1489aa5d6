#include "pal/xml/node_operations.h"

#include "pal/com_ptr.h"
#include "pal/xml/dom_string.h"
#include "pal/xml/node_access.h"
#include "pal/xml/serialise.h"
#include "pal/xml/tree_edit.h"
#include "pal/xml/xpath_query.h"

#include <new>

namespace pal::xml::ops {
namespace {

bool TakesChildren(xmlNodePtr node)
{
    return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE || node->type == XML_DOCUMENT_FRAG_NODE;
}

bool Movable(xmlNodePtr node)
{
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE:
        return true;
    default:
        return false;
    }
}

// The node itself or the first of its following siblings the DOM has an object for.
HRESULT HandOut(const NodeRef& ref, xmlNodePtr node, IXMLDOMNode** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    for (; node; node = node->next) {
        if (ComPtr<IXMLDOMNode> object = WrapNode(ref.core, node)) {
            *out = object.Detach();
            return S_OK;
        }
    }
    return S_FALSE;
}

// A document holds at most one element and no text.
bool DocumentAccepts(xmlNodePtr doc, xmlNodePtr child)
{
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE || child->type == XML_ENTITY_REF_NODE)
        return false;
    if (child->type != XML_ELEMENT_NODE) return true;
    xmlNodePtr root = xmlDocGetRootElement(reinterpret_cast<xmlDocPtr>(doc));
    return !root || root == child;
}

void ReplaceChildrenWithText(const NodeRef& ref, const std::string& text)
{
    NodePtr replacement;
    if (!text.empty()) {
        replacement.reset(xmlNewDocText(ref.node->doc, AsXml(text)));
        if (!replacement) throw std::bad_alloc();
    }
    while (xmlNodePtr child = ref.node->children) {
        DeclareNamespacesOnRoot(child);
        ref.core->TrackDetached(child); // first: it may throw, unlinking does not
        xmlUnlinkNode(child);
        ref.core->CollectIfUnused(child);
    }
    if (replacement) LinkLastChild(ref.node, replacement.release());
}

HRESULT CloneDocument(const NodeRef& ref, bool deep, IXMLDOMNode** clone)
{
    DocPtr copy(xmlCopyDoc(reinterpret_cast<xmlDocPtr>(ref.node), deep ? 1 : 0));
    if (!copy) throw std::bad_alloc();
    const bool current = ref.node == reinterpret_cast<xmlNodePtr>(ref.core->Doc());
    auto core = std::make_shared<DocumentCore>(std::move(copy), current && ref.core->HasDeclaration());
    core->Settings() = ref.core->Settings();
    return WrapDocument(std::move(core))->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(clone));
}

} // namespace

std::string QualifiedName(xmlNodePtr node)
{
    std::string name = AsString(node->name);
    if (node->ns && node->ns->prefix) name = AsString(node->ns->prefix) + ":" + name;
    return name;
}

HRESULT NodeName(xmlNodePtr node, BSTR* name)
{
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return ToBstr(QualifiedName(node), name);
    case XML_TEXT_NODE:
        return ToBstr("#text", name);
    case XML_CDATA_SECTION_NODE:
        return ToBstr("#cdata-section", name);
    case XML_COMMENT_NODE:
        return ToBstr("#comment", name);
    case XML_DOCUMENT_NODE:
        return ToBstr("#document", name);
    case XML_DOCUMENT_FRAG_NODE:
        return ToBstr("#document-fragment", name);
    default: // processing instruction target, entity reference
        return ToBstr(AsString(node->name), name);
    }
}

HRESULT ParentNode(const NodeRef& ref, IXMLDOMNode** parent)
{
    if (!parent) return E_POINTER;
    *parent = nullptr;
    // Attributes have no parent in the DOM, though libxml2 links their element.
    if (ref.node->type == XML_ATTRIBUTE_NODE || !ref.node->parent) return S_FALSE;
    *parent = WrapNode(ref.core, ref.node->parent).Detach();
    return *parent ? S_OK : S_FALSE;
}

HRESULT ChildNodes(const NodeRef& ref, IXMLDOMNodeList** children)
{
    if (!children) return E_POINTER;
    std::vector<xmlNodePtr> nodes;
    if (TakesChildren(ref.node) || ref.node->type == XML_ATTRIBUTE_NODE)
        for (xmlNodePtr child = ref.node->children; child; child = child->next)
            nodes.push_back(child);
    *children = WrapNodes(ref.core, nodes).Detach();
    return S_OK;
}

HRESULT FirstChild(const NodeRef& ref, IXMLDOMNode** child)
{
    const bool hasChildren = TakesChildren(ref.node) || ref.node->type == XML_ATTRIBUTE_NODE;
    return HandOut(ref, hasChildren ? ref.node->children : nullptr, child);
}

HRESULT NextSibling(const NodeRef& ref, IXMLDOMNode** sibling)
{
    const bool hasSiblings = ref.node->type != XML_ATTRIBUTE_NODE && ref.node->type != XML_DOCUMENT_NODE;
    return HandOut(ref, hasSiblings ? ref.node->next : nullptr, sibling);
}

HRESULT AppendChild(const NodeRef& ref, xmlNodePtr child)
{
    xmlNodePtr parent = ref.node;
    if (child->doc != parent->doc) return E_INVALIDARG; // a tree loadXML has since replaced
    if (!TakesChildren(parent) || !Movable(child) || IsAncestorOrSelf(child, parent)) return E_FAIL;
    if (parent->type == XML_DOCUMENT_NODE && !DocumentAccepts(parent, child)) return E_FAIL;

    xmlNodePtr oldTop = TopOf(child);
    if (child->parent) {
        DeclareNamespacesOnRoot(child);
        xmlUnlinkNode(child);
    } else {
        ref.core->Reattached(child);
    }
    LinkLastChild(parent, child);
    DropRedundantDeclarations(child);
    if (oldTop != child) ref.core->CollectIfUnused(oldTop);
    return S_OK;
}

HRESULT RemoveChild(const NodeRef& ref, xmlNodePtr child)
{
    if (child->parent != ref.node || child->type == XML_ATTRIBUTE_NODE) return E_INVALIDARG;
    DeclareNamespacesOnRoot(child);
    // The caller holds an object for child, so it stays until that goes.
    ref.core->TrackDetached(child);
    xmlUnlinkNode(child);
    return S_OK;
}

HRESULT CloneNode(const NodeRef& ref, bool deep, IXMLDOMNode** clone)
{
    if (!clone) return E_POINTER;
    *clone = nullptr;
    if (ref.node->type == XML_DOCUMENT_NODE) return CloneDocument(ref, deep, clone);
    // A shallow element copy keeps its attributes and namespaces (2), not its children.
    NodePtr owned(xmlDocCopyNode(ref.node, ref.node->doc, deep ? 1 : 2));
    if (!owned) throw std::bad_alloc();
    ref.core->TrackDetached(owned.get());
    xmlNodePtr copy = owned.release();
    ComPtr<IXMLDOMNode> object = WrapNode(ref.core, copy);
    ref.core->CollectIfUnused(copy);
    *clone = object.Detach();
    return *clone ? S_OK : E_FAIL;
}

HRESULT Text(xmlNodePtr node, BSTR* text)
{
    return ToBstr(NodeText(node), text);
}

HRESULT PutText(const NodeRef& ref, BSTR text)
{
    const std::string value = FromBstr(text);
    switch (ref.node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_FRAG_NODE:
        ReplaceChildrenWithText(ref, value);
        return S_OK;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        xmlNodeSetContent(ref.node, AsXml(value));
        return S_OK;
    default:
        return E_FAIL;
    }
}

HRESULT Xml(const NodeRef& ref, BSTR* xml)
{
    const bool current = ref.node == reinterpret_cast<xmlNodePtr>(ref.core->Doc());
    return ToBstr(NodeXml(ref.node, current && ref.core->HasDeclaration()), xml);
}

HRESULT SelectNodes(const NodeRef& ref, BSTR query, IXMLDOMNodeList** nodes)
{
    if (!nodes) return E_POINTER;
    *nodes = nullptr;
    std::vector<xmlNodePtr> selected;
    if (HRESULT hr = xml::SelectNodes(ref.node, ref.core->Settings().bindings, FromBstr(query), selected); FAILED(hr))
        return hr;
    *nodes = WrapNodes(ref.core, selected).Detach();
    return S_OK;
}

HRESULT SelectSingleNode(const NodeRef& ref, BSTR query, IXMLDOMNode** node)
{
    if (!node) return E_POINTER;
    *node = nullptr;
    std::vector<xmlNodePtr> selected;
    if (HRESULT hr = xml::SelectNodes(ref.node, ref.core->Settings().bindings, FromBstr(query), selected); FAILED(hr))
        return hr;
    for (xmlNodePtr candidate : selected) {
        if (ComPtr<IXMLDOMNode> object = WrapNode(ref.core, candidate)) {
            *node = object.Detach();
            return S_OK;
        }
    }
    return S_FALSE;
}

} // namespace pal::xml::ops
