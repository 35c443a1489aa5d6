// The free-threaded DOM document classes. A document object is a thin front
// over its core; several may share one (a node's parent that is the document
// comes back as another document object), as they share its tree.
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/variant.h"
#include "pal/xml/dom_string.h"
#include "pal/xml/node_methods.h"
#include "pal/xml/parse.h"

namespace pal::xml {
namespace {

constexpr std::u16string_view kSelectionLanguage = u"SelectionLanguage";
constexpr std::u16string_view kSelectionNamespaces = u"SelectionNamespaces";

std::u16string_view View(BSTR text)
{
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

class DocumentObject : public ComObjectRoot, public NodeMethods<IXMLDOMDocument2> {
  public:
    using Interfaces = InterfaceList<IXMLDOMDocument2, IXMLDOMDocument, IXMLDOMNode, IDispatch, INodeAccess>;
    static constexpr bool kLocksModule = false; // the layer's own objects pin no module

    DocumentObject() : core_(std::make_shared<DocumentCore>(NewEmptyDocument())) {}
    explicit DocumentObject(std::shared_ptr<DocumentCore> core) : core_(std::move(core)) {}

    const std::shared_ptr<DocumentCore>& Core() const noexcept override { return core_; }
    xmlNodePtr Target() const noexcept override { return reinterpret_cast<xmlNodePtr>(core_->Doc()); }

    HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** documentElement) override
    {
        if (!documentElement) return E_POINTER;
        *documentElement = nullptr;
        return Locked([&](const NodeRef& ref) {
            xmlNodePtr root = xmlDocGetRootElement(reinterpret_cast<xmlDocPtr>(ref.node));
            if (!root) return S_FALSE;
            ComPtr<IXMLDOMNode> node = WrapNode(ref.core, root);
            return node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(documentElement));
        });
    }

    // Parsing is synchronous whatever async says; validation and external
    // resolution never happen. The values are kept all the same.
    HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL isAsync) override
    {
        return Set(&DocumentSettings::async, isAsync);
    }
    HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL isValidating) override
    {
        return Set(&DocumentSettings::validateOnParse, isValidating);
    }
    HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL isResolving) override
    {
        return Set(&DocumentSettings::resolveExternals, isResolving);
    }
    HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL isPreserving) override
    {
        return Set(&DocumentSettings::preserveWhiteSpace, isPreserving);
    }

    HRESULT STDMETHODCALLTYPE loadXML(BSTR bstrXML, VARIANT_BOOL* isSuccessful) override
    {
        if (isSuccessful) *isSuccessful = VARIANT_FALSE;
        return Boundary([&] {
            bool preserve = false;
            {
                std::lock_guard lock(core_->Mutex());
                preserve = core_->Settings().preserveWhiteSpace;
            }
            ParsedDocument parsed = ParseDocument(FromBstr(bstrXML), preserve);
            const bool ok = parsed.doc != nullptr;
            DocPtr tree = ok ? std::move(parsed.doc) : NewEmptyDocument();
            std::lock_guard lock(core_->Mutex());
            core_->ReplaceTree(std::move(tree), parsed.hasDeclaration);
            if (isSuccessful) *isSuccessful = ok ? VARIANT_TRUE : VARIANT_FALSE;
            return ok ? S_OK : S_FALSE;
        });
    }

    HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) override
    {
        return Boundary([&] {
            Variant text;
            if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR))) return E_INVALIDARG;
            const std::u16string_view property = View(name);
            std::lock_guard lock(core_->Mutex());
            if (property == kSelectionLanguage) {
                // XPath 1.0 is the only language evaluated.
                return View(text.bstrVal) == u"XPath" ? S_OK : E_FAIL;
            }
            if (property == kSelectionNamespaces) {
                auto bindings = ParseSelectionNamespaces(FromBstr(text.bstrVal));
                if (!bindings) return E_FAIL;
                core_->Settings().bindings = std::move(*bindings);
                core_->Settings().selectionNamespaces = std::u16string(View(text.bstrVal));
                return S_OK;
            }
            return E_INVALIDARG;
        });
    }

    HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) override
    {
        if (!value) return E_POINTER;
        VariantInit(value);
        return Boundary([&] {
            const std::u16string_view property = View(name);
            std::u16string text;
            if (property == kSelectionLanguage) {
                text = u"XPath";
            } else if (property == kSelectionNamespaces) {
                std::lock_guard lock(core_->Mutex());
                text = core_->Settings().selectionNamespaces;
            } else {
                return E_INVALIDARG;
            }
            value->bstrVal = Bstr(text).Detach();
            if (!value->bstrVal) value->bstrVal = SysAllocStringLen(u"", 0);
            if (!value->bstrVal) return E_OUTOFMEMORY;
            value->vt = VT_BSTR;
            return S_OK;
        });
    }

  private:
    HRESULT Set(bool DocumentSettings::*member, VARIANT_BOOL value)
    {
        std::lock_guard lock(core_->Mutex());
        core_->Settings().*member = value != VARIANT_FALSE;
        return S_OK;
    }

    std::shared_ptr<DocumentCore> core_;
};

// DOM documents are never aggregated.
HRESULT CreateDocument(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateComObject<DocumentObject>(nullptr, riid, ppv);
}

const BuiltinClass g_document60{CLSID_FreeThreadedDOMDocument60, &CreateDocument};
const BuiltinClass g_document40{CLSID_FreeThreadedDOMDocument40, &CreateDocument};
const BuiltinClass g_document30{CLSID_FreeThreadedDOMDocument30, &CreateDocument};
const BuiltinClass g_document{CLSID_FreeThreadedDOMDocument, &CreateDocument};

} // namespace

ComPtr<IXMLDOMDocument2> WrapDocument(std::shared_ptr<DocumentCore> core)
{
    return MakeComObject<DocumentObject, IXMLDOMDocument2>(std::move(core));
}

} // namespace pal::xml
