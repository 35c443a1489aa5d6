#include "pal/xml/tree_edit.h"

#include <string>
#include <utility>
#include <vector>

namespace pal::xml {
namespace {

bool DeclaresOn(xmlNodePtr element, xmlNsPtr ns) noexcept
{
    for (xmlNsPtr decl = element->nsDef; decl; decl = decl->next)
        if (decl == ns) return true;
    return false;
}

bool InScope(xmlNsPtr ns, xmlNodePtr from, xmlNodePtr root) noexcept
{
    for (xmlNodePtr node = from; node; node = node->parent) {
        if (node->type == XML_ELEMENT_NODE && DeclaresOn(node, ns)) return true;
        if (node == root) break;
    }
    return false;
}

// The "xml" prefix is bound by the document itself, never by an element.
bool IsXmlPrefix(xmlNsPtr ns) noexcept
{
    return ns->prefix && xmlStrEqual(ns->prefix, BAD_CAST "xml");
}

xmlNsPtr DeclarationOn(xmlNodePtr element, const xmlChar* prefix) noexcept
{
    for (xmlNsPtr decl = element->nsDef; decl; decl = decl->next)
        if (xmlStrEqual(decl->prefix, prefix)) return decl;
    return nullptr;
}

// A declaration on root for ns's prefix and URI; a prefix root already binds
// elsewhere gets a numbered sibling.
xmlNsPtr DeclareOn(xmlNodePtr root, xmlNsPtr ns)
{
    xmlNsPtr existing = DeclarationOn(root, ns->prefix);
    if (!existing) return xmlNewNs(root, ns->href, ns->prefix);
    if (xmlStrEqual(existing->href, ns->href)) return existing;
    const std::string base = ns->prefix ? reinterpret_cast<const char*>(ns->prefix) : "ns";
    for (int n = 1;; ++n) {
        const std::string prefix = base + std::to_string(n);
        const auto* candidate = reinterpret_cast<const xmlChar*>(prefix.c_str());
        if (!DeclarationOn(root, candidate)) return xmlNewNs(root, ns->href, candidate);
    }
}

// Every element of root's subtree, root first.
template <typename Visit> void ForEachElement(xmlNodePtr root, Visit&& visit)
{
    xmlNodePtr node = root;
    while (node) {
        if (node->type == XML_ELEMENT_NODE) visit(node);
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node != root && !node->next)
            node = node->parent;
        if (node == root) break;
        node = node->next;
    }
}

} // namespace

xmlNodePtr TopOf(xmlNodePtr node) noexcept
{
    while (node && node->parent)
        node = node->parent;
    return node;
}

bool IsAncestorOrSelf(xmlNodePtr ancestor, xmlNodePtr node) noexcept
{
    for (; node; node = node->parent)
        if (node == ancestor) return true;
    return false;
}

void DeclareNamespacesOnRoot(xmlNodePtr root)
{
    if (!root || root->type != XML_ELEMENT_NODE) return;
    std::vector<std::pair<xmlNsPtr, xmlNsPtr>> replaced;
    ForEachElement(root, [&](xmlNodePtr element) {
        auto fix = [&](xmlNsPtr& ref) {
            if (IsXmlPrefix(ref) || InScope(ref, element, root)) return;
            for (const auto& [from, to] : replaced) {
                if (from == ref) {
                    ref = to;
                    return;
                }
            }
            if (xmlNsPtr decl = DeclareOn(root, ref)) {
                replaced.emplace_back(ref, decl);
                ref = decl;
            }
        };
        if (element->ns) fix(element->ns);
        for (xmlAttrPtr attr = element->properties; attr; attr = attr->next)
            if (attr->ns) fix(attr->ns);
    });
}

void DropRedundantDeclarations(xmlNodePtr root) noexcept
{
    if (!root || root->type != XML_ELEMENT_NODE || !root->parent || root->parent->type != XML_ELEMENT_NODE) return;
    xmlNsPtr* link = &root->nsDef;
    while (xmlNsPtr decl = *link) {
        xmlNsPtr outer = xmlSearchNs(root->doc, root->parent, decl->prefix);
        // An unprefixed declaration of "" undeclares the default; keep it.
        if (!outer || !decl->href || !xmlStrEqual(outer->href, decl->href)) {
            link = &decl->next;
            continue;
        }
        ForEachElement(root, [&](xmlNodePtr element) {
            if (element->ns == decl) element->ns = outer;
            for (xmlAttrPtr attr = element->properties; attr; attr = attr->next)
                if (attr->ns == decl) attr->ns = outer;
        });
        *link = decl->next;
        decl->next = nullptr;
        xmlFreeNs(decl);
    }
}

void LinkLastChild(xmlNodePtr parent, xmlNodePtr child) noexcept
{
    child->parent = parent;
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last) {
        parent->last->next = child;
    } else {
        parent->children = child;
    }
    parent->last = child;
}

} // namespace pal::xml
