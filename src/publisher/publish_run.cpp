// The publish run: every selected item's file chosen, named, prepared and
// uploaded in turn, its reply judged, the run's progress and outcome shown in
// the host's windows and log. A picture that fails never ends the run.
#include "contract/component_strings.h"
#include "contract/host_event_reporter_holder.h"
#include "contract/host_image_info.h"
#include "extension_class.h"
#include "imaging/prepare_and_upload_image.h"
#include "pal/bstr.h"
#include "pal/hresult_error.h"
#include "pal/scope_guard.h"
#include "pal/wide_format.h"
#include "preparation_summary.h"
#include "publisher/zenfolio_publisher.h"
#include "settings/settings_store.h"

#include <algorithm>
#include <commctrl.h>
#include <shlwapi.h>

namespace {

constexpr UINT kIdsSource = 99;
constexpr UINT kIdsDisplayName = 100;
constexpr UINT kIdsCheckingConnectivity = 112;
constexpr UINT kIdsPublishing = 117;
constexpr UINT kIdsCancelled = 118;
constexpr UINT kIdsCancelledAborted = 119;
constexpr UINT kIdsDone = 120;
constexpr UINT kIdsError = 121;
constexpr UINT kIdsAccountLine = 129;
constexpr UINT kIdsStarting = 500;
constexpr UINT kIdsEnding = 501;
constexpr UINT kIdsPublishingTo = 502;
constexpr UINT kIdsCancelling = 503;
constexpr UINT kIdsNoSelection = 504;
constexpr UINT kIdsPublishingFile = 506;
constexpr UINT kIdsNotWhatItAppears = 507;
constexpr UINT kIdsCouldNotPublish = 508;
constexpr UINT kIdsCancellingAbruptly = 509;
constexpr UINT kIdsDuplicateName = 510;

constexpr LONG kTrace = 0;
constexpr LONG kProgress = 1;
constexpr LONG kWarning = 2;
constexpr LONG kPictureFailed = 3;
constexpr LONG kRunFailed = 4;

// GIF and PNG files go up as they are, with nothing added or taken away.
const orvana::ImageFormatSettings kAsTheyAre{orvana::PM_FILE_INTACT, 0, 0, 0, 0, 0, 0, 0, 0.0, {}};

// A photo id: decimal digits and nothing else.
bool IsPhotoId(pal::WideView reply)
{
    return !reply.empty() &&
           std::all_of(reply.begin(), reply.end(), [](WCHAR c) { return c >= W('0') && c <= W('9'); });
}

pal::WideString Format(UINT formatId, auto... arguments)
{
    return pal::FormatWide(orvana::ComponentString(formatId).c_str(), arguments...);
}

pal::WideString AfterLastSeparator(pal::WideView path)
{
    const std::size_t slash = path.find_last_of(W("/\\"));
    return pal::WideString(slash == pal::WideView::npos ? path : path.substr(slash + 1));
}

pal::WideString View(BSTR text)
{
    return text ? pal::WideString(text, SysStringLen(text)) : pal::WideString();
}

} // namespace

void CZenfolioPublisher::Log(LONG level, pal::WideView text)
{
    const pal::WideString line(text);
    host_->Log(level, orvana::ComponentString(kIdsSource).c_str(), line.c_str());
}

void CZenfolioPublisher::SetStatusText(UINT stringId)
{
    SetWindowTextW(statusWindow_, orvana::ComponentString(stringId).c_str());
}

HRESULT CZenfolioPublisher::Publish(HWND hWndProgressControl, HWND hWndStaticTextControl)
{
    if (!host_ || !stream_) return E_UNEXPECTED;
    if (!hWndProgressControl || !hWndStaticTextControl) return E_INVALIDARG;
    rateMeter_.Reset();
    usedNames_.Clear();
    cancelRequested_ = false;
    cancelAbruptly_ = false;
    progressWindow_ = hWndProgressControl;
    statusWindow_ = hWndStaticTextControl;
    const pal::ScopeGuard forgetWindows([this]() noexcept {
        progressWindow_ = nullptr;
        statusWindow_ = nullptr;
    });
    return pal::Boundary([&] {
        RunPublish();
        return S_OK;
    });
}

void CZenfolioPublisher::RunPublish()
{
    Log(kTrace, orvana::ComponentString(kIdsStarting));
    Log(kTrace, pal::FormatWide(W("%ls %ls"), orvana::ComponentString(kIdsDisplayName).c_str(),
                                version_.String(W("FileVersion")).c_str()));
    WCHAR quota[64] = {};
    StrFormatByteSizeW(state_.PhotoBytesQuota, quota, 64);
    Log(kTrace, Format(kIdsAccountLine, state_.DisplayName.value_or(W("")).c_str(), quota));
    SetStatusText(kIdsCheckingConnectivity);
    SendMessageW(progressWindow_, PBM_SETPOS, 0, 0);
    SendMessageW(progressWindow_, PBM_SETSTATE, PBST_NORMAL, 0);
    Log(kProgress, Format(kIdsPublishingTo, state_.GalleryTitle.value_or(W("")).c_str()));
    SetStatusText(kIdsPublishing);

    LONG count = 0;
    HGLOBAL block = nullptr;
    if (FAILED(host_->GetSelectedItems(&count, &block)) || !block) {
        Log(kRunFailed, orvana::ComponentString(kIdsNoSelection));
        SetStatusText(kIdsError);
        Log(kTrace, orvana::ComponentString(kIdsEnding));
        return;
    }
    // The block is the host's: it is unlocked here, never freed.
    const auto* items = static_cast<const ULONGLONG*>(GlobalLock(block));
    if (!items) {
        Log(kRunFailed, orvana::ComponentString(kIdsNoSelection));
        UploadProgress(UPLOADSTATE_ERROR, 0, 0);
        SetStatusText(kIdsError);
        Log(kTrace, orvana::ComponentString(kIdsEnding));
        return;
    }
    const pal::ScopeGuard unlock([block]() noexcept { GlobalUnlock(block); });
    // A count beyond what the block holds is not read past its end.
    const ULONGLONG pictures =
        std::min<ULONGLONG>(count < 0 ? 0 : static_cast<ULONGLONG>(count), GlobalSize(block) / sizeof(ULONGLONG));

    orvana::LoadPublisherSettings(jpegSettings_, rawSettings_);
    Log(kProgress, orvana::PreparationSummary(jpegSettings_));
    rateMeter_.Start(pictures * 100);
    const LPARAM range = static_cast<LPARAM>(std::min<ULONGLONG>(pictures * 100, 0x7FFFFFFF));
    SendMessageW(progressWindow_, PBM_SETRANGE32, 0, range);
    SendMessageW(progressWindow_, PBM_SETSTATE, PBST_NORMAL, 0);
    SendMessageW(progressWindow_, PBM_SETPOS, 0, 0);
    if (HostEventReporterHolder::Exists())
        HostEventReporterHolder::Report(W("WebPublisher:Zenfolio"), W("Publishing"), static_cast<ULONG>(pictures));

    for (ULONGLONG n = 0; n < pictures && !cancelRequested_ && !cancelAbruptly_; ++n)
        PublishItem(items[n]);

    if (cancelRequested_ || cancelAbruptly_) UploadProgress(UPLOADSTATE_CANCELLED, 0, 0);
    SetStatusText(cancelRequested_ && cancelAbruptly_ ? kIdsCancelledAborted
                  : cancelRequested_                  ? kIdsCancelled
                                                      : kIdsDone);
    Log(kTrace, orvana::ComponentString(kIdsEnding));
}

HRESULT CZenfolioPublisher::PrepareAndUpload(LPCWSTR sourcePath, LPCWSTR uploadFileName, BSTR* reply, UINT mode,
                                             bool validate, const orvana::ImageFormatSettings& settings)
{
    // The upload address is read for every picture: the settings sheet may change it mid-run.
    const pal::WideString uploadUrl = state_.UploadUrl.value_or(W(""));
    const orvana::MetadataSwitches switches{settings.WriteCopyright != 0, settings.WriteEXIF != 0,
                                            settings.WriteXMP != 0, settings.WriteGPS != 0, settings.WriteIPTC != 0};
    return orvana::PrepareAndUploadImage({proxy_.Get(), host_.Get(), this}, uploadUrl.c_str(), sourcePath,
                                         uploadFileName, reply, mode, validate, settings.Minimize != 0, switches,
                                         static_cast<LONG>(settings.LongDimension), settings.Dpi);
}

void CZenfolioPublisher::PublishItem(ULONGLONG item)
{
    HostImageInfo info;
    contract::PresetHostImageInfo(info);
    const pal::ScopeGuard release([&info]() noexcept { contract::ReleaseHostImageInfo(info); });
    host_->GetItemInfo(item, &info); // a record left empty fails below, through its missing file

    const pal::WideString itemPath = View(info.itemPath);
    const pal::WideString baseName = AfterLastSeparator(itemPath);
    const pal::WideString uploadBase = usedNames_.Claim(baseName);
    if (uploadBase != baseName) Log(kWarning, Format(kIdsDuplicateName, baseName.c_str(), uploadBase.c_str()));
    const pal::WideString jpegName = uploadBase + W(".jpg");
    // A record with no extension list is taken as one with an empty list.
    const std::vector<pal::WideString> extensions = orvana::SplitExtensionList(View(info.extensions));

    pal::WideString sourcePath;
    pal::Bstr reply;
    HRESULT result = S_FALSE;
    for (const pal::WideString& extension : extensions) {
        const orvana::ExtensionClass kind = orvana::ClassOfExtension(extension);
        if (kind == orvana::ExtensionClass::RawOrTiff) continue;
        sourcePath = itemPath + W(".") + extension;
        const bool jpeg = kind == orvana::ExtensionClass::Jpeg;
        const pal::WideString uploadName = jpeg ? jpegName : uploadBase + W(".") + extension;
        Log(kProgress, Format(kIdsPublishingFile, sourcePath.c_str()));
        result = jpeg ? PrepareAndUpload(sourcePath.c_str(), uploadName.c_str(), reply.ReleaseAndGetAddressOf(),
                                         jpegSettings_.Mode, true, jpegSettings_)
                      : PrepareAndUpload(sourcePath.c_str(), uploadName.c_str(), reply.ReleaseAndGetAddressOf(),
                                         orvana::PM_FILE_INTACT, true, kAsTheyAre);
        if (result == WINCODEC_ERR_BADHEADER) {
            const pal::WideString warning = Format(kIdsNotWhatItAppears, sourcePath.c_str());
            if (jpegSettings_.Mode == orvana::PM_RESAMPLE) {
                // Perhaps a RAW or TIFF file under a JPEG name: converting it still works.
                Log(kWarning, warning);
                reply = pal::Bstr();
                result = PrepareAndUpload(sourcePath.c_str(), jpegName.c_str(), reply.ReleaseAndGetAddressOf(),
                                          orvana::PM_RESAMPLE, false, rawSettings_);
            } else {
                Log(kPictureFailed, warning);
                result = E_FAIL;
            }
        }
        break;
    }
    if (result == S_FALSE) {
        // No JPEG, GIF or PNG file (or the preparation asked for another): the RAW or TIFF file.
        for (const pal::WideString& extension : extensions) {
            if (orvana::ClassOfExtension(extension) != orvana::ExtensionClass::RawOrTiff) continue;
            sourcePath = itemPath + W(".") + extension;
            break;
        }
        reply = pal::Bstr();
        Log(kProgress, Format(kIdsPublishingFile, sourcePath.c_str()));
        result = PrepareAndUpload(sourcePath.c_str(), jpegName.c_str(), reply.ReleaseAndGetAddressOf(),
                                  orvana::PM_RESAMPLE, false, rawSettings_);
    }

    const pal::WideView replyText = reply.View();
    if (SUCCEEDED(result) && IsPhotoId(replyText)) return;
    Log(kPictureFailed,
        Format(kIdsCouldNotPublish, sourcePath.c_str(), static_cast<unsigned long>(FAILED(result) ? result : E_FAIL),
               (W("Zenfolio: ") + pal::WideString(replyText)).c_str()));
    UploadProgress(UPLOADSTATE_NONFATAL_ERROR, 0, 0);
}

HRESULT CZenfolioPublisher::Cancel(LONG fAbruptly)
{
    if (host_) {
        pal::Boundary([&] {
            Log(kWarning, orvana::ComponentString(fAbruptly ? kIdsCancellingAbruptly : kIdsCancelling));
            return S_OK;
        });
    }
    cancelRequested_ = true;
    cancelAbruptly_ = fAbruptly != 0;
    return S_OK;
}
