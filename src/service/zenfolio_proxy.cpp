#include "service/zenfolio_proxy.h"

// The service session and its calls are not built yet: each call says so
// plainly instead of pretending to reach the service.

HRESULT CZenfolioProxy::Authenticate(LPCWSTR, LPCWSTR)
{
    return E_NOTIMPL;
}

HRESULT CZenfolioProxy::LoadPrivateProfile(IXMLDOMNode** ppResult)
{
    if (ppResult) *ppResult = nullptr;
    return E_NOTIMPL;
}

HRESULT CZenfolioProxy::LoadGroupHierarchy(LPCWSTR, IXMLDOMNode** ppResult)
{
    if (ppResult) *ppResult = nullptr;
    return E_NOTIMPL;
}

HRESULT CZenfolioProxy::GetCategories(IXMLDOMNode** ppResult)
{
    if (ppResult) *ppResult = nullptr;
    return E_NOTIMPL;
}

HRESULT CZenfolioProxy::LoadPhotoSet(LPCWSTR, tagLOADPHOTOSETLEVEL, LONG, IXMLDOMNode** ppResult)
{
    if (ppResult) *ppResult = nullptr;
    return E_NOTIMPL;
}

HRESULT CZenfolioProxy::CreatePhotoSet(LPCWSTR, tagCREATEPHOTOSETTYPE, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR,
                                       IXMLDOMNode** ppResult)
{
    if (ppResult) *ppResult = nullptr;
    return E_NOTIMPL;
}

HRESULT CZenfolioProxy::UploadTo(LPCWSTR, LPCWSTR, FILETIME, ISequentialStream*, ULONG, LPCWSTR,
                                 IUploadProgressCallback*, BSTR* lpbstrReply)
{
    if (lpbstrReply) *lpbstrReply = nullptr;
    return E_NOTIMPL;
}
