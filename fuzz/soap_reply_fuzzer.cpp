// Feeds arbitrary reply documents (UTF-8) to what the service client does with
// a reply: reduce it to its result or fault, then read the fields it reads.
// Beyond not crashing: the outcome and the node agree (a Fault on fault, no
// fault on a reply that fails), the node outlives the released reply
// document, "." always reads, reads repeat exactly, and a field that is not
// there fails with a description naming it.
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com/error_info.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/utf.h"
#include "service/soap_document.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// An empty prefix of its own, so the document class is the layer's own and
// no user's registry is read or written. It goes at exit.
class ScratchPrefix {
  public:
    ScratchPrefix()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvana-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
        setenv("ORVANA_PREFIX", pattern.c_str(), 1);
    }
    ~ScratchPrefix()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchPrefix(const ScratchPrefix&) = delete;
    ScratchPrefix& operator=(const ScratchPrefix&) = delete;

  private:
    std::filesystem::path path_;
};

// Looked up once: the class lookup reads the registry, which would dominate.
IClassFactory* DocumentFactory()
{
    static const ScratchPrefix prefix;
    static const bool initialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    static const pal::ComPtr<IClassFactory> factory = [] {
        pal::ComPtr<IClassFactory> found;
        if (!initialised || FAILED(CoGetClassObject(CLSID_FreeThreadedDOMDocument60, CLSCTX_INPROC_SERVER, nullptr,
                                                    IID_IClassFactory, found.ReleaseAndGetVoidAddress())))
            std::abort();
        return found;
    }();
    return factory.Get();
}

// The fields the client reads from results, faults and list items.
constexpr std::array<const char16_t*, 8> kFields{
    u"z:PasswordSalt", u"z:Challenge", u"z:Code",      u"z:DisplayName",
    u"z:Id",           u"z:Title",     u"faultstring", u"z:Elements/z:Group/z:Id"};

std::u16string Description()
{
    pal::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.ReleaseAndGetAddressOf()) != S_OK || !info) return {};
    pal::Bstr text;
    info->GetDescription(text.ReleaseAndGetAddressOf());
    return text.Str();
}

void ReadField(IXMLDOMNode* node, const char16_t* xpath)
{
    pal::Bstr text;
    const HRESULT hr = orvana::GetNodeText(node, xpath, text.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) {
        pal::Bstr again;
        if (FAILED(orvana::GetNodeText(node, xpath, again.ReleaseAndGetAddressOf())) || again.View() != text.View())
            std::abort();
        return;
    }
    if (hr != E_FAIL || text.Get() || Description().find(xpath) == std::u16string::npos) std::abort();
}

void ReadResult(IXMLDOMNode* result)
{
    pal::Bstr whole;
    if (orvana::GetNodeText(result, u".", whole.ReleaseAndGetAddressOf()) != S_OK) std::abort();
    for (const char16_t* field : kFields)
        ReadField(result, field);

    // The category list: each item read as the cache reads it.
    pal::ComPtr<IXMLDOMNodeList> items;
    if (FAILED(result->selectNodes(pal::Bstr(u"z:Category").Get(), items.ReleaseAndGetAddressOf())) || !items) return;
    pal::ComPtr<IXMLDOMNode> item;
    for (int n = 0; n < 64 && items->nextNode(item.ReleaseAndGetAddressOf()) == S_OK && item; ++n) {
        ReadField(item.Get(), u"z:Code");
        ReadField(item.Get(), u"z:DisplayName");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IClassFactory* factory = DocumentFactory();
    pal::ComPtr<IXMLDOMDocument2> reply;
    if (FAILED(factory->CreateInstance(nullptr, IID_IXMLDOMDocument2, reply.ReleaseAndGetVoidAddress()))) std::abort();
    const pal::Bstr text(pal::ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size)));
    VARIANT_BOOL parsed = VARIANT_FALSE;
    // A reply that does not parse stays an empty document, as the transport hands it on.
    if (FAILED(reply->loadXML(text.Get(), &parsed))) std::abort();
    orvana::BindSelectionNamespaces(reply.Get());

    pal::ComPtr<IXMLDOMNode> result;
    bool fault = true;
    try {
        result = orvana::ExtractResult(reply.Get(), fault);
    } catch (const pal::HResultError&) {
        if (fault) std::abort();
        return 0;
    }
    reply = nullptr; // the result node alone keeps the document alive from here
    if (fault && !result) std::abort();
    if (fault) {
        pal::Bstr name;
        if (!result || FAILED(result->get_nodeName(name.ReleaseAndGetAddressOf()))) std::abort();
        const std::u16string_view view = name.View();
        if (view != u"Fault" && !view.ends_with(u":Fault")) std::abort();
    }
    if (result) ReadResult(result.Get());
    return 0;
}
