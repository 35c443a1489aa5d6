// CZenfolioProxy: the service client behind the coclass ZenfolioProxy. Every
// service call and upload of a publisher goes through its one proxy, which
// holds the login token. Calls keep their state in locals, so several threads
// may call at once; logging in while other calls run is not supported.
#pragma once

#include "contract/orvana_publishing.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/unique_internet.h"
#include "pal/wide_string.h"
#include "service/auto_reset_event.h"
#include "service/soap_transport.h"
#include "service/upload_counters.h"

#include <functional>
#include <memory>
#include <oleauto.h>

namespace orvana {
struct ProxySettings;
}

class CZenfolioProxy : public pal::ComObjectRoot, public IZenfolioProxy, public ISupportErrorInfo {
  public:
    using Interfaces = pal::InterfaceList<IZenfolioProxy, ISupportErrorInfo>;

    CZenfolioProxy();
    ~CZenfolioProxy() override;

    HRESULT FinalConstruct();
    void FinalRelease();
    // IMarshal goes to the aggregated free-threaded marshaler.
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv);

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

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  private:
    // Loads a template, lets fill set its parameters and calls: the result
    // element, null when the reply had none. Failures throw.
    using FillRequest = std::function<void(IXMLDOMDocument2*)>;
    pal::ComPtr<IXMLDOMNode> CallWithTemplate(UINT templateId, const FillRequest& fill);
    // The same at a method's edge: the element goes to out (S_OK also when
    // there is none), a failure becomes the method's answer.
    HRESULT AnswerWithTemplate(UINT templateId, IXMLDOMNode** out, const FillRequest& fill);
    pal::ComPtr<IXMLDOMNode> RequestChallenge(LPCWSTR loginName);

    // The upload's transfer callback; the context is the proxy.
    static void CALLBACK UploadStatusCallback(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID information,
                                              DWORD length);
    // Waits for the next completion; false when the transfer reported an error.
    bool WaitForCompletion();
    // The transport reads a written chunk in place until its write completes,
    // so the buffers belong to the caller and outlive the request handle.
    using ChunkBuffers = std::unique_ptr<BYTE[]>[2];
    void StreamBody(HINTERNET request, ISequentialStream* source, DWORD size,
                    const std::function<HRESULT(tagUPLOADSTATE, DWORD)>& report, ChunkBuffers& buffers, bool& failed,
                    bool& cancelled);
    void ReceiveReply(HINTERNET request, pal::WideString& reply, bool& failed);

    orvana::SoapClient client_;
    pal::WideString agent_;
    orvana::AutoResetEvent completion_; // signalled by the upload's transfer callbacks
    orvana::UploadCounters counters_;
    pal::UniqueInternet session_; // the asynchronous session uploads go through
    // Found again for every upload; kept for the proxy failover of its send.
    std::unique_ptr<orvana::ProxySettings> proxySettings_;
    pal::ComPtr<IUnknown> freeThreadedMarshaler_;
};
