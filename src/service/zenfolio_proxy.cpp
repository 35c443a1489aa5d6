#include "service/zenfolio_proxy.h"

#include "contract/version_block.h"
#include "pal/aggregated_marshaler.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/wide_string.h"
#include "proxy_settings.h"
#include "service/soap_document.h"

#include <string>
#include <windows.h>

namespace {

bool Empty(LPCWSTR text)
{
    return !text || !*text;
}

bool BadOut(IXMLDOMNode** out)
{
    return !out || *out;
}

const WCHAR* LevelText(tagLOADPHOTOSETLEVEL level)
{
    switch (level) {
    case LOADPHOTOSETLEVEL_LEVEL1:
        return W("Level1");
    case LOADPHOTOSETLEVEL_LEVEL2:
        return W("Level2");
    default:
        return W("Full");
    }
}

} // namespace

CZenfolioProxy::CZenfolioProxy()
    : agent_(W("Orvana/1.9.289.0")), proxySettings_(std::make_unique<orvana::ProxySettings>())
{
    client_.fileVersion = orvana::VersionBlock::OfThisModule().FileVersion();
}

CZenfolioProxy::~CZenfolioProxy() = default;

HRESULT CZenfolioProxy::FinalConstruct()
{
    session_.reset(WinHttpOpen(agent_.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session_) return HRESULT_FROM_WIN32(GetLastError());
    // No limit on name resolution; two minutes to connect and send, six to receive.
    WinHttpSetTimeouts(session_.get(), 0, 120000, 120000, 360000);
    return CoCreateFreeThreadedMarshaler(ControllingUnknown(), freeThreadedMarshaler_.ReleaseAndGetAddressOf());
}

void CZenfolioProxy::FinalRelease()
{
    session_.reset();
    freeThreadedMarshaler_.Reset();
}

HRESULT CZenfolioProxy::QueryInterfaceExtra(REFIID riid, void** ppv)
{
    return pal::QueryAggregatedMarshaler(freeThreadedMarshaler_.Get(), riid, ppv);
}

HRESULT CZenfolioProxy::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IZenfolioProxy ? S_OK : S_FALSE;
}

pal::ComPtr<IXMLDOMNode> CZenfolioProxy::CallWithTemplate(UINT templateId, const FillRequest& fill)
{
    const pal::ComPtr<IXMLDOMDocument2> request = orvana::LoadRequestTemplate(templateId);
    fill(request.Get());
    return orvana::CallServiceMethod(request.Get(), client_);
}

HRESULT CZenfolioProxy::AnswerWithTemplate(UINT templateId, IXMLDOMNode** out, const FillRequest& fill)
{
    return pal::Boundary([&] {
        *out = CallWithTemplate(templateId, fill).Detach();
        return S_OK;
    });
}

HRESULT CZenfolioProxy::LoadPrivateProfile(IXMLDOMNode** ppResult)
{
    if (BadOut(ppResult)) return E_INVALIDARG;
    return AnswerWithTemplate(orvana::kTemplateLoadPrivateProfile, ppResult, [](IXMLDOMDocument2*) {});
}

HRESULT CZenfolioProxy::LoadGroupHierarchy(LPCWSTR lpszLoginName, IXMLDOMNode** ppResult)
{
    if (Empty(lpszLoginName) || BadOut(ppResult)) return E_INVALIDARG;
    return AnswerWithTemplate(orvana::kTemplateLoadGroupHierarchy, ppResult, [&](IXMLDOMDocument2* request) {
        orvana::SetRequestParameter(request, W("z:loginName"), lpszLoginName);
    });
}

HRESULT CZenfolioProxy::GetCategories(IXMLDOMNode** ppResult)
{
    if (BadOut(ppResult)) return E_INVALIDARG;
    return AnswerWithTemplate(orvana::kTemplateGetCategories, ppResult, [](IXMLDOMDocument2*) {});
}

HRESULT CZenfolioProxy::LoadPhotoSet(LPCWSTR lpszID, tagLOADPHOTOSETLEVEL nLevel, LONG fIncludePhotos,
                                     IXMLDOMNode** ppResult)
{
    if (Empty(lpszID) || BadOut(ppResult)) return E_INVALIDARG;
    return AnswerWithTemplate(orvana::kTemplateLoadPhotoSet, ppResult, [&](IXMLDOMDocument2* request) {
        orvana::SetRequestParameter(request, W("z:photoSetId"), lpszID);
        orvana::SetRequestParameter(request, W("z:level"), LevelText(nLevel));
        orvana::SetRequestParameter(request, W("z:includePhotos"), fIncludePhotos ? W("true") : W("false"));
    });
}

HRESULT CZenfolioProxy::CreatePhotoSet(LPCWSTR lpszGroupID, tagCREATEPHOTOSETTYPE nType, LPCWSTR lpszTitle,
                                       LPCWSTR lpszCaption, LPCWSTR lpszKeywords, LPCWSTR lpszCategories,
                                       LPCWSTR lpszCustomReference, IXMLDOMNode** ppResult)
{
    if (Empty(lpszGroupID) || Empty(lpszTitle) || BadOut(ppResult)) return E_INVALIDARG;
    return AnswerWithTemplate(orvana::kTemplateCreatePhotoSet, ppResult, [&](IXMLDOMDocument2* request) {
        using orvana::SetRequestParameter;
        SetRequestParameter(request, W("z:groupId"), lpszGroupID);
        SetRequestParameter(request, W("z:type"),
                            nType == CREATEPHOTOSETTYPE_COLLECTION ? W("Collection") : W("Gallery"));
        SetRequestParameter(request, W("z:updater/z:Title"), lpszTitle);
        // An empty caption or reference leaves its empty element in the request.
        if (!Empty(lpszCaption)) SetRequestParameter(request, W("z:updater/z:Caption"), lpszCaption);
        orvana::FillRequestList(request, lpszKeywords, W("z:updater/z:Keywords/z:Keyword"), false);
        orvana::FillRequestList(request, lpszCategories, W("z:updater/z:Categories/z:Category"), true);
        if (!Empty(lpszCustomReference))
            SetRequestParameter(request, W("z:updater/z:CustomReference"), lpszCustomReference);
    });
}
