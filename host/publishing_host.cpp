#include "host/publishing_host.h"

#include "host/imaging/host_imaging.h"
#include "host/text_file.h"
#include "pal/unique_global.h"
#include "pal/utf.h"

#include <cstring>
#include <iostream>

namespace host {

void PublishingHost::Configure(std::filesystem::path logFile, bool echo)
{
    std::lock_guard lock(mutex_);
    logFile_ = std::move(logFile);
    echo_ = echo;
}

void PublishingHost::SetSelection(std::vector<ULONGLONG> items)
{
    std::lock_guard lock(mutex_);
    selection_ = std::move(items);
}

// The block belongs to the host; it is freed when the next selection is handed out
// or the host goes, never by the plug-in.
HRESULT PublishingHost::GetSelectedItems(LONG* plCount, HGLOBAL* phItems)
{
    if (!plCount || !phItems) return E_POINTER;
    std::lock_guard lock(mutex_);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::max<std::size_t>(1, selection_.size()) * sizeof(ULONGLONG));
    if (!block) return E_OUTOFMEMORY;
    {
        pal::GlobalLockGuard locked(block);
        if (!selection_.empty()) std::memcpy(locked.Data(), selection_.data(), selection_.size() * sizeof(ULONGLONG));
    }
    *plCount = static_cast<LONG>(selection_.size());
    *phItems = block;
    return S_OK;
}

HRESULT PublishingHost::GetItemInfo(ULONGLONG, HostImageInfo*)
{
    return E_NOTIMPL; // the item record comes with picture preparation
}

HRESULT PublishingHost::Log(LONG nLevel, LPCWSTR lpszSource, LPCWSTR lpszMessage)
{
    const std::string line = std::to_string(nLevel) + "\t" + pal::ToUtf8(lpszSource ? lpszSource : u"") + "\t" +
                             pal::ToUtf8(lpszMessage ? lpszMessage : u"");
    std::lock_guard lock(mutex_);
    if (!logFile_.empty()) AppendLine(logFile_, line);
    if (echo_) std::cerr << line << '\n';
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
