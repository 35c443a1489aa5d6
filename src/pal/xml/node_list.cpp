// Node lists hold an object for every node they were made with: a snapshot,
// where the DOM's childNodes would follow later changes.
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/xml/dispatch_stubs.h"
#include "pal/xml/node_access.h"

#include <mutex>

namespace pal::xml {
namespace {

class NodeList : public ComObjectRoot, public DispatchStubs<IXMLDOMNodeList> {
  public:
    using Interfaces = InterfaceList<IXMLDOMNodeList, IDispatch>;
    static constexpr bool kLocksModule = false;

    explicit NodeList(std::vector<ComPtr<IXMLDOMNode>> items) : items_(std::move(items)) {}

    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** listItem) override
    {
        if (!listItem) return E_POINTER;
        *listItem = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) return S_FALSE;
        return items_[static_cast<std::size_t>(index)].CopyTo(listItem);
    }
    HRESULT STDMETHODCALLTYPE get_length(LONG* listLength) override
    {
        if (!listLength) return E_POINTER;
        *listLength = static_cast<LONG>(items_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** nextItem) override
    {
        if (!nextItem) return E_POINTER;
        *nextItem = nullptr;
        std::lock_guard lock(cursorMutex_);
        if (cursor_ >= items_.size()) return S_FALSE;
        return items_[cursor_++].CopyTo(nextItem);
    }
    HRESULT STDMETHODCALLTYPE reset() override
    {
        std::lock_guard lock(cursorMutex_);
        cursor_ = 0;
        return S_OK;
    }

  private:
    const std::vector<ComPtr<IXMLDOMNode>> items_;
    std::mutex cursorMutex_;
    std::size_t cursor_ = 0;
};

} // namespace

ComPtr<IXMLDOMNodeList> WrapNodes(const std::shared_ptr<DocumentCore>& core, const std::vector<xmlNodePtr>& nodes)
{
    std::vector<ComPtr<IXMLDOMNode>> items;
    items.reserve(nodes.size());
    for (xmlNodePtr node : nodes)
        if (ComPtr<IXMLDOMNode> item = WrapNode(core, node)) items.push_back(std::move(item));
    return MakeComObject<NodeList, IXMLDOMNodeList>(std::move(items));
}

} // namespace pal::xml
