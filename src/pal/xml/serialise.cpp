#include "pal/xml/serialise.h"

#include "pal/xml/libxml_ptr.h"

#include <new>

namespace pal::xml {
namespace {

std::string Dump(xmlDocPtr doc, xmlNodePtr node)
{
    BufferPtr buffer(xmlBufferCreate());
    if (!buffer) throw std::bad_alloc();
    if (xmlNodeDump(buffer.get(), doc, node, 0, 0) < 0) return {};
    return AsString(xmlBufferContent(buffer.get()));
}

std::string DocumentXml(xmlDocPtr doc, bool hasDeclaration)
{
    std::string text;
    if (hasDeclaration) {
        text = "<?xml version=\"" + AsString(doc->version ? doc->version : BAD_CAST "1.0") + "\"";
        if (doc->standalone == 1) text += " standalone=\"yes\"";
        if (doc->standalone == 0) text += " standalone=\"no\"";
        text += "?>\r\n";
    }
    for (xmlNodePtr child = doc->children; child; child = child->next)
        text += Dump(doc, child) + "\r\n";
    return text;
}

// A copy made with no parent declares on itself every namespace it takes
// from outside, which the dump of the node in place would leave out.
std::string ElementXml(xmlNodePtr element)
{
    NodePtr copy(xmlDocCopyNode(element, element->doc, 1));
    if (!copy) throw std::bad_alloc();
    return Dump(element->doc, copy.get());
}

} // namespace

std::string NodeXml(xmlNodePtr node, bool hasDeclaration)
{
    switch (node->type) {
    case XML_DOCUMENT_NODE:
        return DocumentXml(reinterpret_cast<xmlDocPtr>(node), hasDeclaration);
    case XML_ELEMENT_NODE:
        return ElementXml(node);
    case XML_ATTRIBUTE_NODE: {
        std::string text = Dump(node->doc, node);
        if (text.starts_with(' ')) text.erase(0, 1);
        return text;
    }
    default:
        return Dump(node->doc, node);
    }
}

std::string NodeText(xmlNodePtr node)
{
    XmlString content(xmlNodeGetContent(node));
    return AsString(content.get());
}

} // namespace pal::xml
