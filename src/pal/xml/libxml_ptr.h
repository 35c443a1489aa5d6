// Owning wrappers for the libxml2 objects the DOM holds or makes in passing.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <memory>
#include <string>

namespace pal::xml {

template <auto Free> struct FreeWith {
    template <typename T> void operator()(T* p) const noexcept { Free(p); }
};

// xmlFree is a variable holding the allocator's free function, not a function.
struct XmlFree {
    void operator()(xmlChar* p) const noexcept { xmlFree(p); }
};

using DocPtr = std::unique_ptr<xmlDoc, FreeWith<&xmlFreeDoc>>;
using NodePtr = std::unique_ptr<xmlNode, FreeWith<&xmlFreeNode>>;
using ParserContextPtr = std::unique_ptr<xmlParserCtxt, FreeWith<&xmlFreeParserCtxt>>;
using XPathContextPtr = std::unique_ptr<xmlXPathContext, FreeWith<&xmlXPathFreeContext>>;
using XPathObjectPtr = std::unique_ptr<xmlXPathObject, FreeWith<&xmlXPathFreeObject>>;
using BufferPtr = std::unique_ptr<xmlBuffer, FreeWith<&xmlBufferFree>>;
using XmlString = std::unique_ptr<xmlChar, XmlFree>;

inline const xmlChar* AsXml(const std::string& text) noexcept
{
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

inline std::string AsString(const xmlChar* text)
{
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

} // namespace pal::xml
