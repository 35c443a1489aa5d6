#include "pal/xml/xpath_query.h"

#include "pal/xml/libxml_ptr.h"

#include <libxml/xpathInternals.h>
#include <new>

namespace pal::xml {
namespace {

// Errors come back as the result; libxml2 would otherwise print them.
void IgnoreError(void*, xmlErrorPtr) {}

} // namespace

HRESULT SelectNodes(xmlNodePtr context, const std::vector<NamespaceBinding>& bindings, const std::string& expression,
                    std::vector<xmlNodePtr>& nodes)
{
    nodes.clear();
    XPathContextPtr xpath(xmlXPathNewContext(context->doc));
    if (!xpath) throw std::bad_alloc();
    xpath->node = context;
    xpath->error = &IgnoreError;
    for (const auto& binding : bindings)
        if (xmlXPathRegisterNs(xpath.get(), AsXml(binding.prefix), AsXml(binding.uri)) != 0) throw std::bad_alloc();

    XPathObjectPtr result(xmlXPathEval(AsXml(expression), xpath.get()));
    if (!result || result->type != XPATH_NODESET) return E_FAIL;
    if (const xmlNodeSetPtr set = result->nodesetval) {
        nodes.reserve(static_cast<std::size_t>(set->nodeNr));
        for (int i = 0; i < set->nodeNr; ++i)
            if (set->nodeTab[i]->type != XML_NAMESPACE_DECL) nodes.push_back(set->nodeTab[i]);
    }
    return S_OK;
}

} // namespace pal::xml
