// The host object handed to a plug-in's Initialize: the selection to publish,
// the item records and the publishing log.
#pragma once

#include "contract/host_interfaces.h"
#include "host/publishing_log.h"
#include "host/selection.h"
#include "pal/object.h"

#include <filesystem>
#include <mutex>

namespace host {

// Also the host's imaging service: the component reaches it through
// QueryInterface(IID_IHostImaging) on this object.
class PublishingHost : public pal::ComObjectRoot, public IPublishingHost, public IHostImaging {
  public:
    using Interfaces = pal::InterfaceList<IPublishingHost, IHostImaging>;

    // Log lines go to logFile, and to standard error from the warnings up;
    // verbose echoes every level.
    void Configure(std::filesystem::path logFile, bool verbose = false);
    void SetSelection(Selection selection);
    // The log's echo level, echo sink and counts per level.
    PublishingLog& LogOutput() { return log_; }

    HRESULT STDMETHODCALLTYPE ReservedSlot3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectedItems(LONG* plCount, HGLOBAL* phItems) override;
    HRESULT STDMETHODCALLTYPE GetItemInfo(ULONGLONG ullItem, HostImageInfo* pInfo) override;
    HRESULT STDMETHODCALLTYPE ReservedSlot7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Log(LONG nLevel, LPCWSTR lpszSource, LPCWSTR lpszMessage) override;

    // IHostImaging (its slots 3 to 9 share the names above and answer E_NOTIMPL too).
    HRESULT STDMETHODCALLTYPE ReservedSlot5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot15() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot20() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot22() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderImage(LPCWSTR lpszPath, LONG lReserved, LONG lLongEdge, IWICBitmapSource** ppBitmap,
                                          ULONG dwFlags, HostImageInfo* pInfo) override;
    HRESULT STDMETHODCALLTYPE ReservedSlot25() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot26() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot28() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot29() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot30() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot31() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot32() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot33() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot34() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot35() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot36() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot37() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot38() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot39() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteImageMetadata(IWICMetadataQueryWriter* pWriter, LONG lReserved0, LONG lReserved1,
                                                 HostImageInfo* pInfo, BOOL bCopyright, BOOL bExif, BOOL bXmp,
                                                 BOOL bGps, BOOL bIptc, BOOL bAnyMetadata, BOOL bResample) override;

  private:
    std::mutex mutex_;
    Selection selection_;
    PublishingLog log_;
};

} // namespace host
