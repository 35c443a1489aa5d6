// XPath 1.0 selection relative to a node, with the document's prefix bindings.
#pragma once

#include "../base/types.h"
#include "selection_namespaces.h"

#include <libxml/tree.h>
#include <string>
#include <vector>

namespace pal::xml {

// The selected nodes in document order. E_FAIL when the expression does not
// compile, uses an unbound prefix, or yields something other than a node set.
// Namespace nodes are left out: the DOM has no object for them.
HRESULT SelectNodes(xmlNodePtr context, const std::vector<NamespaceBinding>& bindings, const std::string& expression,
                    std::vector<xmlNodePtr>& nodes);

} // namespace pal::xml
