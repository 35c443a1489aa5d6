// CZenfolioPublisher: the plug-in object the host drives through
// IOrvanaPublishingPlugin. It owns the saved state record and its one service
// proxy, and aggregates the free-threaded marshaler so any thread may call it.
#pragma once

#include "contract/host_interfaces.h"
#include "contract/orvana_publishing.h"
#include "contract/version_block.h"
#include "pal/com_ptr.h"
#include "pal/dispatch_impl.h"
#include "pal/object.h"
#include "pal/wide_string.h"
#include "settings/image_format_settings.h"
#include "settings/publisher_state.h"

#include <atomic>
#include <oleauto.h>

class CZenfolioPublisher : public pal::ComObjectRoot,
                           public IUploadProgressCallback,
                           public ISupportErrorInfo,
                           public pal::DispatchImpl<IOrvanaPublishingPlugin, LIBID_ORVPublishToZenfolioLib> {
  public:
    using Interfaces =
        pal::InterfaceList<IDispatch, ISupportErrorInfo, IUploadProgressCallback, IOrvanaPublishingPlugin>;

    CZenfolioPublisher();
    ~CZenfolioPublisher() override;

    HRESULT FinalConstruct();
    void FinalRelease();
    // IMarshal goes to the aggregated free-threaded marshaler.
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv);

    // IOrvanaPublishingPlugin
    HRESULT STDMETHODCALLTYPE Initialize(IUnknown* lpHost, USHORT langid, IUnknown* lpStream, ULONG dwFlags) override;
    HRESULT STDMETHODCALLTYPE Terminate() override;
    HRESULT STDMETHODCALLTYPE GetCapabilities(tagORVPUBLISHINGCAPABILITIES* lpCapabilities) override;
    HRESULT STDMETHODCALLTYPE GetIcon(HICON* lphIcon) override;
    HRESULT STDMETHODCALLTYPE GetDisplayName(BSTR* pbstrDisplayName) override;
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pbstrDescription) override;
    HRESULT STDMETHODCALLTYPE GetAuthorInformation(BSTR* pbstrAuthorInformation) override;
    HRESULT STDMETHODCALLTYPE GetVersionInformation(BSTR* pbstrVersionInformation) override;
    HRESULT STDMETHODCALLTYPE GetDisplayState(BSTR* pbstrDisplayState) override;
    HRESULT STDMETHODCALLTYPE Configure(HWND hWndParent, LPCWSTR lpszVerb, LPCWSTR lpszParameters) override;
    HRESULT STDMETHODCALLTYPE Publish(HWND hWndProgressControl, HWND hWndStaticTextControl) override;
    HRESULT STDMETHODCALLTYPE CanPublish(HWND hWndParent, LONG fIncludeActualConnectivityCheck) override;
    HRESULT STDMETHODCALLTYPE Cancel(LONG fAbruptly) override;

    // IUploadProgressCallback
    HRESULT STDMETHODCALLTYPE UploadProgress(tagUPLOADSTATE nState, ULONG dwTotal, ULONG dwDone) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  private:
    bool IsAuthorized() const;
    bool IsConfigured() const;
    HRESULT VersionString(const WCHAR* key, BSTR* out) const;

    orvana::VersionBlock version_;
    // The windows Publish reports to; unread until the upload flow lands.
    [[maybe_unused]] HWND statusWindow_ = nullptr;
    [[maybe_unused]] HWND progressWindow_ = nullptr;
    LANGID language_ = 0;
    pal::ComPtr<IStream> stream_;
    pal::ComPtr<IPublishingHost> host_;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> cancelAbruptly_{false};
    orvana::PublisherState state_;
    orvana::ImageFormatSettings jpegSettings_;
    orvana::ImageFormatSettings rawSettings_; // RAW and TIFF sources; no mode
    std::atomic<bool> loggedIn_{false};
    pal::ComPtr<IZenfolioProxy> proxy_;
    pal::ComPtr<IUnknown> freeThreadedMarshaler_;
};
