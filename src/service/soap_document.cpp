#include "service/soap_document.h"

#include "contract/component_strings.h"
#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
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

void SetStringProperty(IXMLDOMDocument2* document, pal::WideView name, pal::WideView value)
{
    pal::Variant variant;
    variant.vt = VT_BSTR;
    variant.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (!variant.bstrVal) throw pal::HResultError(E_OUTOFMEMORY);
    pal::ThrowIfFailed(document->setProperty(MakeBstr(name).Get(), variant));
}

// The method element: the body's first child.
pal::ComPtr<IXMLDOMNode> MethodElement(IXMLDOMDocument2* request)
{
    pal::ComPtr<IXMLDOMNode> body, method;
    pal::ThrowIfFailed(request->selectSingleNode(MakeBstr(kBodyPath).Get(), body.ReleaseAndGetAddressOf()));
    if (!body) throw pal::HResultError(E_FAIL);
    pal::ThrowIfFailed(body->get_firstChild(method.ReleaseAndGetAddressOf()));
    if (!method) throw pal::HResultError(E_FAIL);
    return method;
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

void BindSelectionNamespaces(IXMLDOMDocument2* document)
{
    SetStringProperty(document, W("SelectionLanguage"), W("XPath"));
    const pal::WideString namespaces =
        pal::WideString(W("xmlns:s=\"")) + kSoapEnvelopeNamespace + W("\" xmlns:z=\"") + kServiceNamespace + W("\"");
    SetStringProperty(document, W("SelectionNamespaces"), namespaces);
}

pal::ComPtr<IXMLDOMDocument2> LoadRequestTemplate(UINT resourceId)
{
    HINSTANCE module = pal::ThisModule();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), W("SOAP"));
    if (!resource) throw pal::HResultError(E_UNEXPECTED);
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0) throw pal::HResultError(E_UNEXPECTED);

    pal::ComPtr<IXMLDOMDocument2> document;
    pal::ThrowIfFailed(CreateDomDocument(document.ReleaseAndGetAddressOf()));
    pal::ThrowIfFailed(document->put_async(VARIANT_FALSE));
    pal::ThrowIfFailed(document->put_validateOnParse(VARIANT_FALSE));
    pal::ThrowIfFailed(document->put_preserveWhiteSpace(VARIANT_FALSE));
    pal::ThrowIfFailed(document->put_resolveExternals(VARIANT_FALSE));
    VARIANT_BOOL parsed = VARIANT_FALSE;
    const pal::Bstr text(pal::ToUtf16(std::string_view(bytes, size)));
    pal::ThrowIfFailed(document->loadXML(text.Get(), &parsed));
    BindSelectionNamespaces(document.Get());
    if (parsed != VARIANT_TRUE) throw pal::HResultError(E_UNEXPECTED);
    return document;
}

pal::ComPtr<IXMLDOMNode> SelectRequestNode(IXMLDOMDocument2* request, LPCWSTR relativePath)
{
    if (!request || !relativePath || !*relativePath) throw pal::HResultError(E_INVALIDARG);
    const pal::ComPtr<IXMLDOMNode> method = MethodElement(request);
    pal::Bstr name;
    pal::ThrowIfFailed(method->get_nodeName(name.ReleaseAndGetAddressOf()));
    const pal::WideString path = pal::WideString(kBodyPath) + W("/z:") + name.Str() + W("/") + relativePath;
    pal::ComPtr<IXMLDOMNode> node;
    pal::ThrowIfFailed(request->selectSingleNode(MakeBstr(path).Get(), node.ReleaseAndGetAddressOf()));
    return node;
}

void SetRequestParameter(IXMLDOMDocument2* request, LPCWSTR relativePath, LPCWSTR value)
{
    const pal::ComPtr<IXMLDOMNode> element = SelectRequestNode(request, relativePath);
    if (!element) throw pal::HResultError(E_FAIL); // every path names an element of its template
    if (value && *value) {
        pal::ThrowIfFailed(element->put_text(MakeBstr(value).Get()));
        return;
    }
    pal::ComPtr<IXMLDOMNode> parent, removed;
    pal::ThrowIfFailed(element->get_parentNode(parent.ReleaseAndGetAddressOf()));
    if (!parent) throw pal::HResultError(E_FAIL);
    pal::ThrowIfFailed(parent->removeChild(element.Get(), removed.ReleaseAndGetAddressOf()));
}

void FillRequestList(IXMLDOMDocument2* request, LPCWSTR list, LPCWSTR prototypePath, bool numeric)
{
    const pal::ComPtr<IXMLDOMNode> prototype = SelectRequestNode(request, prototypePath);
    if (!prototype) throw pal::HResultError(E_FAIL);
    pal::ComPtr<IXMLDOMNode> parent;
    // A prototype without a parent is a broken template, whatever the call's own code.
    if (FAILED(prototype->get_parentNode(parent.ReleaseAndGetAddressOf())) || !parent) throw pal::HResultError(E_FAIL);

    const pal::WideView text = list ? pal::WideView(list) : pal::WideView();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(W('|'), start), text.size());
        pal::WideString piece = Trim(text.substr(start, end - start));
        start = end + 1;
        if (piece.empty()) continue;
        if (numeric) piece = AsDecimal(piece);
        pal::ComPtr<IXMLDOMNode> clone, appended;
        pal::ThrowIfFailed(prototype->cloneNode(VARIANT_TRUE, clone.ReleaseAndGetAddressOf()));
        pal::ThrowIfFailed(clone->put_text(MakeBstr(piece).Get()));
        pal::ThrowIfFailed(parent->appendChild(clone.Get(), appended.ReleaseAndGetAddressOf()));
    }
    pal::ComPtr<IXMLDOMNode> removed;
    pal::ThrowIfFailed(parent->removeChild(prototype.Get(), removed.ReleaseAndGetAddressOf()));
}

pal::ComPtr<IXMLDOMNode> ExtractResult(IXMLDOMDocument2* reply, bool& fault)
{
    fault = false;
    if (!reply) throw pal::HResultError(E_INVALIDARG);
    pal::ComPtr<IXMLDOMNode> body;
    pal::ThrowIfFailed(reply->selectSingleNode(MakeBstr(kBodyPath).Get(), body.ReleaseAndGetAddressOf()));
    if (!body) throw pal::HResultError(E_FAIL);

    pal::ComPtr<IXMLDOMNode> faultElement;
    pal::ThrowIfFailed(body->selectSingleNode(MakeBstr(W("s:Fault")).Get(), faultElement.ReleaseAndGetAddressOf()));
    if (faultElement) {
        fault = true;
        return faultElement;
    }
    pal::ComPtr<IXMLDOMNode> response, result;
    pal::ThrowIfFailed(body->get_firstChild(response.ReleaseAndGetAddressOf()));
    if (!response) throw pal::HResultError(E_FAIL);
    pal::ThrowIfFailed(response->get_firstChild(result.ReleaseAndGetAddressOf()));
    return result;
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
