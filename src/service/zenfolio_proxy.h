// CZenfolioProxy: the service client behind the coclass ZenfolioProxy. Every
// service call and upload of a publisher goes through its one proxy, which
// holds the login token.
#pragma once

#include "pal/com/object.h"
#include "plugin/orvana_publishing.h"

class CZenfolioProxy : public pal::ComObjectRoot, public IZenfolioProxy {
  public:
    using Interfaces = pal::InterfaceList<IZenfolioProxy>;

    HRESULT STDMETHODCALLTYPE Authenticate(LPCWSTR lpszLoginName, LPCWSTR lpszPassword) override;
    HRESULT STDMETHODCALLTYPE LoadPrivateProfile(IXMLDOMNode** ppResult) override;
    HRESULT STDMETHODCALLTYPE LoadGroupHierarchy(LPCWSTR lpszLoginName, IXMLDOMNode** ppResult) override;
    HRESULT STDMETHODCALLTYPE GetCategories(IXMLDOMNode** ppResult) override;
    HRESULT STDMETHODCALLTYPE LoadPhotoSet(LPCWSTR lpszID, tagLOADPHOTOSETLEVEL nLevel, LONG fIncludePhotos,
                                           IXMLDOMNode** ppResult) override;
    HRESULT STDMETHODCALLTYPE CreatePhotoSet(LPCWSTR lpszGroupID, tagCREATEPHOTOSETTYPE nType, LPCWSTR lpszTitle,
                                             LPCWSTR lpszCaption, LPCWSTR lpszKeywords, LPCWSTR lpszCategories,
                                             LPCWSTR lpszCustomReference, IXMLDOMNode** ppResult) override;
    HRESULT STDMETHODCALLTYPE UploadTo(LPCWSTR lpszUploadURL, LPCWSTR lpszFileName, FILETIME ftModified,
                                       ISequentialStream* lpSource, ULONG dwDataSize, LPCWSTR lpszSourceMD5Base64,
                                       IUploadProgressCallback* lpProgressCallback, BSTR* lpbstrReply) override;
};
