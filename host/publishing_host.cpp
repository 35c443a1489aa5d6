#include "host/publishing_host.h"

#include "host/imaging/host_imaging.h"
#include "host/item_record.h"
#include "pal/unique_global.h"
#include "pal/utf.h"

#include <cstring>
#include <new>
#include <optional>

namespace host {

void PublishingHost::Configure(std::filesystem::path logFile, bool verbose)
{
    log_.SetFile(std::move(logFile));
    log_.SetEchoLevel(verbose ? kLogTrace : kDefaultEchoLevel);
}

void PublishingHost::SetSelection(Selection selection)
{
    std::lock_guard lock(mutex_);
    selection_ = std::move(selection);
}

// The block belongs to the host; it is freed when the next selection is handed out
// or the host goes, never by the plug-in.
HRESULT PublishingHost::GetSelectedItems(LONG* plCount, HGLOBAL* phItems)
{
    if (!plCount || !phItems) return E_POINTER;
    std::vector<ULONGLONG> ids;
    try {
        std::lock_guard lock(mutex_);
        ids = selection_.Ids();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(1, ids.size()) * sizeof(ULONGLONG));
    if (!block) return E_OUTOFMEMORY;
    {
        pal::GlobalLockGuard locked(block);
        if (!ids.empty()) std::memcpy(locked.Data(), ids.data(), ids.size() * sizeof(ULONGLONG));
    }
    *plCount = static_cast<LONG>(ids.size());
    *phItems = block;
    return S_OK;
}

// The files are read outside the lock: a run on one thread and the user
// interface on another may both ask.
HRESULT PublishingHost::GetItemInfo(ULONGLONG ullItem, HostImageInfo* pInfo)
{
    if (!pInfo) return E_POINTER;
    try {
        std::optional<SelectedItem> item;
        {
            std::lock_guard lock(mutex_);
            if (const SelectedItem* found = selection_.Find(ullItem)) item = *found;
        }
        if (!item) return E_INVALIDARG;
        FillItemRecord(*item, *pInfo);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT PublishingHost::Log(LONG nLevel, LPCWSTR lpszSource, LPCWSTR lpszMessage)
{
    log_.Write(nLevel, lpszSource ? lpszSource : u"", lpszMessage ? lpszMessage : u"");
    return S_OK;
}

// The reserved arguments are not needed; the picture's own tags are the
// encoder's to write, resampled or not, so bAnyMetadata and bResample change nothing.
HRESULT PublishingHost::RenderImage(LPCWSTR lpszPath, LONG, LONG lLongEdge, IWICBitmapSource** ppBitmap, ULONG dwFlags,
                                    HostImageInfo* pInfo)
{
    return imaging::RenderImage(lpszPath, lLongEdge, ppBitmap, dwFlags, pInfo);
}

HRESULT PublishingHost::WriteImageMetadata(IWICMetadataQueryWriter* pWriter, LONG, LONG, HostImageInfo* pInfo,
                                           BOOL bCopyright, BOOL bExif, BOOL bXmp, BOOL bGps, BOOL bIptc, BOOL, BOOL)
{
    return imaging::WriteImageMetadata(pWriter, pInfo, bCopyright, bExif, bXmp, bGps, bIptc);
}

} // namespace host
