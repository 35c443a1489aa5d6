// CZenfolioPublisher: the plug-in object the host drives through
// IOrvanaPublishingPlugin. It owns the saved state record and its one service
// proxy, and aggregates the free-threaded marshaler so any thread may call it.
#pragma once

#include "contract/host_interfaces.h"
#include "contract/orvana_publishing.h"
#include "contract/version_block.h"
#include "imaging/locale_number_format.h"
#include "pal/com_ptr.h"
#include "pal/dispatch_impl.h"
#include "pal/object.h"
#include "pal/wide_string.h"
#include "publisher/rate_meter.h"
#include "publisher/unique_upload_names.h"
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
    // The silent login with the stored credentials; a refusal shows the error box.
    bool EnsureLoggedIn(HWND owner);
    // The credentials dialog, then the login and the profile; on success the
    // account fields are replaced, on a refusal the error box shows and
    // nothing changes.
    bool AuthorizeInteractively(HWND owner);

    // The publish run (publish_run.cpp).
    void RunPublish();
    void PublishItem(ULONGLONG item);
    HRESULT PrepareAndUpload(LPCWSTR sourcePath, LPCWSTR uploadFileName, BSTR* reply, UINT mode, bool validate,
                             const orvana::ImageFormatSettings& settings);
    void Log(LONG level, pal::WideView text);
    void SetStatusText(UINT stringId);
    // The transfer's share of the current picture on the bar and in the status line.
    void ShowTransferProgress(ULONG total, ULONG done);

    orvana::VersionBlock version_;
    orvana::RateMeter rateMeter_;
    orvana::LocaleNumberFormat numberFormat_;
    // The windows of the running Publish; Configure may read them from another thread.
    std::atomic<HWND> statusWindow_{nullptr};
    std::atomic<HWND> progressWindow_{nullptr};
    LANGID language_ = 0;
    pal::ComPtr<IStream> stream_;
    pal::ComPtr<IPublishingHost> host_;
    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> cancelAbruptly_{false};
    orvana::PublisherState state_;
    orvana::ImageFormatSettings jpegSettings_;
    orvana::ImageFormatSettings rawSettings_; // RAW and TIFF sources; no mode
    orvana::UniqueUploadNames usedNames_;
    std::atomic<bool> loggedIn_{false};
    pal::ComPtr<IZenfolioProxy> proxy_;
    pal::ComPtr<IUnknown> freeThreadedMarshaler_;
};
