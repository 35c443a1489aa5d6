// How the DOM objects recognise each other: an interface of this layer only,
// through which appendChild and removeChild reach the tree behind a node
// handed to them, and the constructors of the object kinds.
#pragma once

#include "msxml.h"
#include "pal/com_ptr.h"

#include <libxml/tree.h>
#include <memory>
#include <vector>

namespace pal::xml {

class DocumentCore;

struct INodeAccess : IUnknown {
    virtual const std::shared_ptr<DocumentCore>& Core() const noexcept = 0;
    // Call with the core's mutex held: a document's tree changes with loadXML.
    virtual xmlNodePtr Target() const noexcept = 0;

  protected:
    ~INodeAccess() = default;
};

// A new object for node (a document object for the current document node);
// null for the node kinds the DOM has no object for. Node objects register
// with the core, so these two expect its mutex held.
ComPtr<IXMLDOMNode> WrapNode(const std::shared_ptr<DocumentCore>& core, xmlNodePtr node);
ComPtr<IXMLDOMNodeList> WrapNodes(const std::shared_ptr<DocumentCore>& core, const std::vector<xmlNodePtr>& nodes);
// Another document object over the same tree and properties.
ComPtr<IXMLDOMDocument2> WrapDocument(std::shared_ptr<DocumentCore> core);

} // namespace pal::xml

template <> struct pal::InterfaceId<pal::xml::INodeAccess> {
    static constexpr IID value = pal::MakeGuid("6B0C3E52-8D1A-4F47-9E2B-3A7D5C1F0E94");
};
