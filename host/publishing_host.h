// The host object handed to a plug-in's Initialize: the selection to publish
// and the publishing log.
#pragma once

#include "contract/host_interfaces.h"
#include "pal/object.h"

#include <filesystem>
#include <mutex>
#include <vector>

namespace host {

class PublishingHost : public pal::ComObjectRoot, public IPublishingHost {
  public:
    using Interfaces = pal::InterfaceList<IPublishingHost>;

    // Log lines go to logFile; with echo they are printed on standard error too.
    void Configure(std::filesystem::path logFile, bool echo);
    void SetSelection(std::vector<ULONGLONG> items);

    HRESULT STDMETHODCALLTYPE ReservedSlot3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectedItems(LONG* plCount, HGLOBAL* phItems) override;
    HRESULT STDMETHODCALLTYPE GetItemInfo(ULONGLONG ullItem, HostImageInfo* pInfo) override;
    HRESULT STDMETHODCALLTYPE ReservedSlot7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Log(LONG nLevel, LPCWSTR lpszSource, LPCWSTR lpszMessage) override;

  private:
    std::mutex mutex_;
    std::filesystem::path logFile_;
    bool echo_ = false;
    std::vector<ULONGLONG> selection_;
};

} // namespace host
