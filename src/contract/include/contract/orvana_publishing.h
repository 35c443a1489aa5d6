// The component's type library ORVPublishToZenfolioLib as C++ declarations:
// identifiers, enumerations and the three interfaces it defines, in slot order.
#pragma once

#include "pal/bstr.h"
#include "pal/interface_id.h"

#include <objbase.h>
#include <oleauto.h>

struct IXMLDOMNode;

enum tagORVPUBLISHINGCAPABILITIES : LONG {
    ORVPUBLISHINGCAPS_NONE = 0,
    ORVPUBLISHINGCAPS_CONFIGURABLE = 1,
    ORVPUBLISHINGCAPS_USES_INIT_DATA = 2,
    ORVPUBLISHINGCAPS_CANCELABLE = 4,
    ORVPUBLISHINGCAPS_AUTHORIZATION = 8,
};

enum tagUPLOADSTATE : LONG {
    UPLOADSTATE_START = 0,
    UPLOADSTATE_STARTIMAGE = 1,
    UPLOADSTATE_IMAGE = 2,
    UPLOADSTATE_ENDIMAGE = 3,
    UPLOADSTATE_END = 4,
    UPLOADSTATE_ERROR = 5,
    UPLOADSTATE_CANCELLED = 6,
    UPLOADSTATE_NONFATAL_ERROR = 7,
};

enum tagLOADPHOTOSETLEVEL : LONG {
    LOADPHOTOSETLEVEL_LEVEL1 = 0,
    LOADPHOTOSETLEVEL_LEVEL2 = 1,
    LOADPHOTOSETLEVEL_FULL = 2,
};

enum tagCREATEPHOTOSETTYPE : LONG {
    CREATEPHOTOSETTYPE_GALLERY = 0,
    CREATEPHOTOSETTYPE_COLLECTION = 1,
};

// Dual interface the host drives; DISPIDs 1 to 13 in slot order.
struct IOrvanaPublishingPlugin : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Initialize(IUnknown* lpHost, USHORT langid, IUnknown* lpStream,
                                                 ULONG dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Terminate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(tagORVPUBLISHINGCAPABILITIES* lpCapabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIcon(HICON* lphIcon) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayName(BSTR* pbstrDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pbstrDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAuthorInformation(BSTR* pbstrAuthorInformation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVersionInformation(BSTR* pbstrVersionInformation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayState(BSTR* pbstrDisplayState) = 0;
    virtual HRESULT STDMETHODCALLTYPE Configure(HWND hWndParent, LPCWSTR lpszVerb, LPCWSTR lpszParameters) = 0;
    virtual HRESULT STDMETHODCALLTYPE Publish(HWND hWndProgressControl, HWND hWndStaticTextControl) = 0;
    virtual HRESULT STDMETHODCALLTYPE CanPublish(HWND hWndParent, LONG fIncludeActualConnectivityCheck) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel(LONG fAbruptly) = 0;

  protected:
    ~IOrvanaPublishingPlugin() = default;
};

struct IUploadProgressCallback : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE UploadProgress(tagUPLOADSTATE nState, ULONG dwTotal, ULONG dwDone) = 0;

  protected:
    ~IUploadProgressCallback() = default;
};

struct IZenfolioProxy : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Authenticate(LPCWSTR lpszLoginName, LPCWSTR lpszPassword) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadPrivateProfile(IXMLDOMNode** ppResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadGroupHierarchy(LPCWSTR lpszLoginName, IXMLDOMNode** ppResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCategories(IXMLDOMNode** ppResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadPhotoSet(LPCWSTR lpszID, tagLOADPHOTOSETLEVEL nLevel, LONG fIncludePhotos,
                                                   IXMLDOMNode** ppResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePhotoSet(LPCWSTR lpszGroupID, tagCREATEPHOTOSETTYPE nType,
                                                     LPCWSTR lpszTitle, LPCWSTR lpszCaption, LPCWSTR lpszKeywords,
                                                     LPCWSTR lpszCategories, LPCWSTR lpszCustomReference,
                                                     IXMLDOMNode** ppResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE UploadTo(LPCWSTR lpszUploadURL, LPCWSTR lpszFileName, FILETIME ftModified,
                                               ISequentialStream* lpSource, ULONG dwDataSize,
                                               LPCWSTR lpszSourceMD5Base64, IUploadProgressCallback* lpProgressCallback,
                                               BSTR* lpbstrReply) = 0;

  protected:
    ~IZenfolioProxy() = default;
};

PAL_DECLARE_IID(IOrvanaPublishingPlugin, "AE526384-7091-4FB2-8354-61708F9EADBC");
PAL_DECLARE_IID(IZenfolioProxy, "C0748506-92B3-41D4-A576-8392A1B0CFDE");
PAL_DECLARE_IID(IUploadProgressCallback, "D1859617-A3C4-42E5-B687-94A3B2C1D0EF");

inline constexpr GUID LIBID_ORVPublishToZenfolioLib = pal::MakeGuid("9D415273-6F80-4EA1-8243-506F7E8D9CAB");
inline constexpr CLSID CLSID_ZenfolioPublisher = pal::MakeGuid("6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978");
inline constexpr CLSID CLSID_ZenfolioProxy = pal::MakeGuid("7B2F3051-4D6E-4C8F-A021-3E4D5C6B7A89");
inline constexpr GUID APPID_OrvanaPublishToZenfolio = pal::MakeGuid("8C304162-5E7F-4D90-B132-4F5E6D7C8B9A");

// The host's component category of publishing plug-ins.
inline constexpr GUID CATID_OrvanaPublishingPlugins = pal::MakeGuid("BF637495-81A2-40C3-9465-7281909FBECD");
