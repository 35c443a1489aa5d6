// Objects for the nodes of a document. Each counts itself with the document
// core for as long as it lives, which keeps an unlinked subtree it points
// into from being freed, and holds the core, which keeps the whole document.
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/xml/dom_string.h"
#include "pal/xml/node_methods.h"

namespace pal::xml {
namespace {

class NodeObject : public ComObjectRoot, public NodeMethods<IXMLDOMElement> {
  public:
    using Interfaces = InterfaceList<IXMLDOMNode, IDispatch, INodeAccess>;
    static constexpr bool kLocksModule = false; // the layer's own objects pin no module

    NodeObject(std::shared_ptr<DocumentCore> core, xmlNodePtr node) : core_(std::move(core)), node_(node)
    {
        std::lock_guard lock(core_->Mutex());
        core_->Retain(node_);
    }
    ~NodeObject() override
    {
        std::lock_guard lock(core_->Mutex());
        core_->Release(node_);
    }

    // Only element nodes answer IXMLDOMElement.
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv)
    {
        if (riid != IID_IXMLDOMElement || node_->type != XML_ELEMENT_NODE) return E_NOINTERFACE;
        *ppv = static_cast<IXMLDOMElement*>(this);
        return S_OK;
    }

    const std::shared_ptr<DocumentCore>& Core() const noexcept override { return core_; }
    xmlNodePtr Target() const noexcept override { return node_; }

    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) override
    {
        return Locked([&](const NodeRef& ref) { return ToBstr(ops::QualifiedName(ref.node), tagName); });
    }

    // The value of the attribute with that qualified name, or VT_NULL and S_FALSE.
    HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) override
    {
        if (!value) return E_POINTER;
        VariantInit(value);
        return Locked([&](const NodeRef& ref) {
            const std::string wanted = FromBstr(name);
            for (xmlAttrPtr attr = ref.node->properties; attr; attr = attr->next) {
                if (ops::QualifiedName(reinterpret_cast<xmlNodePtr>(attr)) != wanted) continue;
                XmlString content(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr)));
                BSTR text = nullptr;
                const HRESULT hr = ToBstr(AsString(content.get()), &text);
                if (SUCCEEDED(hr)) {
                    value->vt = VT_BSTR;
                    value->bstrVal = text;
                }
                return hr;
            }
            value->vt = VT_NULL;
            return S_FALSE;
        });
    }

  private:
    std::shared_ptr<DocumentCore> core_;
    xmlNodePtr node_;
};

// The document type has no object: removing it would free the entities that
// entity references in the tree still point into.
bool HasObject(xmlElementType type)
{
    switch (type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE:
    case XML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE:
        return true;
    default:
        return false;
    }
}

} // namespace

ComPtr<IXMLDOMNode> WrapNode(const std::shared_ptr<DocumentCore>& core, xmlNodePtr node)
{
    if (!node || !HasObject(node->type)) return nullptr;
    if (node == reinterpret_cast<xmlNodePtr>(core->Doc())) {
        ComPtr<IXMLDOMNode> document;
        ThrowIfFailed(WrapDocument(core).As(document));
        return document;
    }
    return MakeComObject<NodeObject, IXMLDOMNode>(core, node);
}

} // namespace pal::xml
