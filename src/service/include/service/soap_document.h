// SOAP requests and replies as DOM documents: request templates from the
// module's resources, parameters written by XPath, replies reduced to their
// result element, and field reads that leave an error description behind.
#pragma once

#include "pal/com_ptr.h"
#include "pal/wide_string.h"

#include <msxml6.h>

namespace orvana {

inline constexpr WCHAR kSoapEnvelopeNamespace[] = W("http://schemas.xmlsoap.org/soap/envelope/");
inline constexpr WCHAR kServiceNamespace[] = W("http://www.zenfolio.com/api/1.6");
inline constexpr WCHAR kBodyPath[] = W("/s:Envelope/s:Body");

// Request templates (resource type "SOAP").
constexpr UINT kTemplateGetChallenge = 1001;
constexpr UINT kTemplateAuthenticate = 1002;
constexpr UINT kTemplateLoadPrivateProfile = 1003;
constexpr UINT kTemplateLoadGroupHierarchy = 1004;
constexpr UINT kTemplateGetCategories = 1005;
constexpr UINT kTemplateLoadPhotoSet = 1006;
constexpr UINT kTemplateCreatePhotoSet = 1007;

// A new free-threaded DOM document, trying the document classes newest first;
// answers the last class's failure when none can be created.
HRESULT CreateDomDocument(IXMLDOMDocument2** document);

// The functions up to GetNodeText throw pal::HResultError with the failing
// call's code.

// Binds s: to the envelope namespace and z: to the service's for XPath.
void BindSelectionNamespaces(IXMLDOMDocument2* document);
// A missing or unparsable template throws E_UNEXPECTED.
pal::ComPtr<IXMLDOMDocument2> LoadRequestTemplate(UINT resourceId);
// Writes the value into the parameter element at the method-relative path;
// an empty value removes the element, so the request goes without it.
void SetRequestParameter(IXMLDOMDocument2* request, LPCWSTR relativePath, LPCWSTR value);
// The node at the method-relative path; null when nothing matches.
pal::ComPtr<IXMLDOMNode> SelectRequestNode(IXMLDOMDocument2* request, LPCWSTR relativePath);
// One clone of the prototype element per "|"-separated, trimmed, non-empty
// piece of list (numeric: each piece rewritten as a decimal number), then the
// prototype goes.
void FillRequestList(IXMLDOMDocument2* request, LPCWSTR list, LPCWSTR prototypePath, bool numeric);
// The first child of the body's first child (null when it has none), or the
// body's Fault with fault set. A reply without a body or method response
// throws E_FAIL.
pal::ComPtr<IXMLDOMNode> ExtractResult(IXMLDOMDocument2* reply, bool& fault);

// The text of the node the XPath selects under context. A field may be
// missing, so this answers rather than throws: when none matches, E_FAIL,
// with the string-table text 201 naming the XPath as the thread's error
// description.
HRESULT GetNodeText(IXMLDOMNode* context, LPCWSTR xpath, BSTR* text);

} // namespace orvana
