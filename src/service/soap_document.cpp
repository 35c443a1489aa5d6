#include "service/soap_document.h"

#include "contract/component_strings.h"
#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/this_module.h"
#include "pal/utf.h"
#include "pal/variant.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"

#include <cstdlib>
#include <objbase.h>
#include <oleauto.h>
#include <string>
#include <vector>
#include <windows.h>

namespace orvana {

namespace {

constexpr UINT kIdsNodeNotFound = 201;

pal::Bstr MakeBstr(pal::WideView text)
{
    return pal::Bstr(text);
}

HRESULT SetStringProperty(IXMLDOMDocument2* document, pal::WideView name, pal::WideView value)
{
    pal::Variant variant;
    variant.vt = VT_BSTR;
    variant.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!variant.bstrVal) return E_OUTOFMEMORY;
    return document->setProperty(MakeBstr(name).Get(), variant);
}

// The method element: the body's first child.
HRESULT MethodElement(IXMLDOMDocument2* request, pal::ComPtr<IXMLDOMNode>& method)
{
    pal::ComPtr<IXMLDOMNode> body;
    HRESULT hr = request->selectSingleNode(MakeBstr(kBodyPath).Get(), body.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    if (!body) return E_FAIL;
    hr = body->get_firstChild(method.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    return method ? S_OK : E_FAIL;
}

pal::WideString Trim(pal::WideView piece)
{
    auto space = [](WCHAR c) { return c == W(' ') || c == W('\t') || c == W('\r') || c == W('\n'); };
    std::size_t first = 0, last = piece.size();
    while (first < last && space(piece[first]))
        ++first;
    while (last > first && space(piece[last - 1]))
        --last;
    return pal::WideString(piece.substr(first, last - first));
}

// A piece read as a decimal number and written back ("007" -> "7", "abc" -> "0").
pal::WideString AsDecimal(const pal::WideString& piece)
{
    const unsigned long value = std::strtoul(pal::ToUtf8(piece).c_str(), nullptr, 10);
    return pal::ToUtf16(std::to_string(static_cast<unsigned>(value)));
}

} // namespace

HRESULT CreateDomDocument(IXMLDOMDocument2** document)
{
    static constexpr const CLSID* kClasses[] = {&CLSID_FreeThreadedDOMDocument60, &CLSID_FreeThreadedDOMDocument40,
                                                &CLSID_FreeThreadedDOMDocument30, &CLSID_FreeThreadedDOMDocument};
    HRESULT hr = REGDB_E_CLASSNOTREG;
    for (const CLSID* clsid : kClasses) {
        hr = CoCreateInstance(*clsid, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2, reinterpret_cast<void**>(document));
        if (SUCCEEDED(hr)) return hr;
    }
    return hr;
}

HRESULT BindSelectionNamespaces(IXMLDOMDocument2* document)
{
    HRESULT hr = SetStringProperty(document, W("SelectionLanguage"), W("XPath"));
    if (FAILED(hr)) return hr;
    const pal::WideString namespaces =
        pal::WideString(W("xmlns:s=\"")) + kSoapEnvelopeNamespace + W("\" xmlns:z=\"") + kServiceNamespace + W("\"");
    return SetStringProperty(document, W("SelectionNamespaces"), namespaces);
}

HRESULT LoadRequestTemplate(UINT resourceId, IXMLDOMDocument2** request)
{
    if (!request) return E_POINTER;
    *request = nullptr;
    HINSTANCE module = pal::ThisModule();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), W("SOAP"));
    if (!resource) return E_UNEXPECTED;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0) return E_UNEXPECTED;

    pal::ComPtr<IXMLDOMDocument2> document;
    HRESULT hr = CreateDomDocument(document.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    if (FAILED(hr = document->put_async(VARIANT_FALSE))) return hr;
    if (FAILED(hr = document->put_validateOnParse(VARIANT_FALSE))) return hr;
    if (FAILED(hr = document->put_preserveWhiteSpace(VARIANT_FALSE))) return hr;
    if (FAILED(hr = document->put_resolveExternals(VARIANT_FALSE))) return hr;
    VARIANT_BOOL parsed = VARIANT_FALSE;
    const pal::Bstr text(pal::ToUtf16(std::string_view(bytes, size)));
    hr = document->loadXML(text.Get(), &parsed);
    if (FAILED(hr)) return hr;
    if (FAILED(hr = BindSelectionNamespaces(document.Get()))) return hr;
    if (parsed != VARIANT_TRUE) return E_UNEXPECTED;
    *request = document.Detach();
    return S_OK;
}

HRESULT SelectRequestNode(IXMLDOMDocument2* request, LPCWSTR relativePath, IXMLDOMNode** node)
{
    if (!request || !relativePath || !*relativePath || !node || *node) return E_INVALIDARG;
    pal::ComPtr<IXMLDOMNode> method;
    HRESULT hr = MethodElement(request, method);
    if (FAILED(hr)) return hr;
    pal::Bstr name;
    if (FAILED(hr = method->get_nodeName(name.ReleaseAndGetAddressOf()))) return hr;
    const pal::WideString path = pal::WideString(kBodyPath) + W("/z:") + name.Str() + W("/") + relativePath;
    return request->selectSingleNode(MakeBstr(path).Get(), node);
}

HRESULT SetRequestParameter(IXMLDOMDocument2* request, LPCWSTR relativePath, LPCWSTR value)
{
    if (!relativePath || !*relativePath) return E_INVALIDARG;
    pal::ComPtr<IXMLDOMNode> element;
    HRESULT hr = SelectRequestNode(request, relativePath, element.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    if (!element) return E_FAIL; // every path names an element of its template
    if (value && *value) return element->put_text(MakeBstr(value).Get());
    pal::ComPtr<IXMLDOMNode> parent, removed;
    if (FAILED(hr = element->get_parentNode(parent.ReleaseAndGetAddressOf()))) return hr;
    if (!parent) return E_FAIL;
    return parent->removeChild(element.Get(), removed.ReleaseAndGetAddressOf());
}

HRESULT FillRequestList(IXMLDOMDocument2* request, LPCWSTR list, LPCWSTR prototypePath, bool numeric)
{
    pal::ComPtr<IXMLDOMNode> prototype, parent;
    HRESULT hr = SelectRequestNode(request, prototypePath, prototype.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    if (!prototype) return E_FAIL;
    if (FAILED(hr = prototype->get_parentNode(parent.ReleaseAndGetAddressOf())) || !parent) return E_FAIL;

    const pal::WideView text = list ? pal::WideView(list) : pal::WideView();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(W('|'), start), text.size());
        pal::WideString piece = Trim(text.substr(start, end - start));
        start = end + 1;
        if (piece.empty()) continue;
        if (numeric) piece = AsDecimal(piece);
        pal::ComPtr<IXMLDOMNode> clone, appended;
        if (FAILED(hr = prototype->cloneNode(VARIANT_TRUE, clone.ReleaseAndGetAddressOf()))) return hr;
        if (FAILED(hr = clone->put_text(MakeBstr(piece).Get()))) return hr;
        if (FAILED(hr = parent->appendChild(clone.Get(), appended.ReleaseAndGetAddressOf()))) return hr;
    }
    pal::ComPtr<IXMLDOMNode> removed;
    return parent->removeChild(prototype.Get(), removed.ReleaseAndGetAddressOf());
}

HRESULT ExtractResult(IXMLDOMDocument2* reply, IXMLDOMNode** result, bool& fault)
{
    fault = false;
    if (!reply || !result || *result) return E_INVALIDARG;
    pal::ComPtr<IXMLDOMNode> body;
    HRESULT hr = reply->selectSingleNode(MakeBstr(kBodyPath).Get(), body.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    if (!body) return E_FAIL;

    pal::ComPtr<IXMLDOMNode> faultElement;
    if (FAILED(hr = body->selectSingleNode(MakeBstr(W("s:Fault")).Get(), faultElement.ReleaseAndGetAddressOf())))
        return hr;
    if (faultElement) {
        *result = faultElement.Detach();
        fault = true;
        return S_FALSE;
    }
    pal::ComPtr<IXMLDOMNode> response;
    if (FAILED(hr = body->get_firstChild(response.ReleaseAndGetAddressOf()))) return hr;
    if (!response) return E_FAIL;
    if (FAILED(hr = response->get_firstChild(result))) return hr;
    return *result ? S_OK : S_FALSE;
}

HRESULT GetNodeText(IXMLDOMNode* context, LPCWSTR xpath, BSTR* text)
{
    if (!text) return E_POINTER;
    *text = nullptr;
    if (!context || !xpath || !*xpath) return E_INVALIDARG;
    pal::ComPtr<IXMLDOMNode> node;
    HRESULT hr = context->selectSingleNode(MakeBstr(xpath).Get(), node.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr) && node) return node->get_text(text);

    const pal::WideString format = ComponentString(kIdsNodeNotFound);
    const pal::WideString description = pal::FormatWide(format.c_str(), xpath);
    pal::ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.ReleaseAndGetAddressOf()))) {
        create->SetGUID(GUID_NULL);
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        pal::ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(info))) SetErrorInfo(0, info.Get());
    }
    return E_FAIL;
}

} // namespace orvana
