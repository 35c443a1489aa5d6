// The upload's progress reports and the run's outcome reports, turned into
// the host's progress bar and status line. An abrupt cancel answers E_ABORT to
// every report, which is how it reaches a running transfer.
#include "pal/hresult_error.h"
#include "progress_status_text.h"
#include "publisher/zenfolio_publisher.h"

#include <commctrl.h>
#include <mutex>

namespace {

// What the current picture last showed. It belongs to the process, as the
// status window it mirrors is shared by whoever runs; the lock only keeps two
// runs at once from tearing the text.
struct ShownProgress {
    std::mutex mutex;
    ULONG lastPercent = 0;
    pal::WideString lastStatusText;
};

ShownProgress& Shown()
{
    static ShownProgress shown;
    return shown;
}

} // namespace

HRESULT CZenfolioPublisher::UploadProgress(tagUPLOADSTATE nState, ULONG dwTotal, ULONG dwDone)
{
    pal::Boundary([&] {
        switch (nState) {
        case UPLOADSTATE_STARTIMAGE: {
            ShownProgress& shown = Shown();
            std::lock_guard lock(shown.mutex);
            shown.lastPercent = 0;
            shown.lastStatusText.clear();
            break;
        }
        case UPLOADSTATE_IMAGE:
            if (dwTotal != 0) ShowTransferProgress(dwTotal, dwDone);
            break;
        case UPLOADSTATE_ERROR:
            SendMessageW(progressWindow_, PBM_SETSTATE, PBST_ERROR, 0);
            break;
        case UPLOADSTATE_CANCELLED:
        case UPLOADSTATE_NONFATAL_ERROR:
            SendMessageW(progressWindow_, PBM_SETSTATE, PBST_PAUSED, 0);
            break;
        default:
            break;
        }
        return S_OK;
    });
    return cancelAbruptly_ ? E_ABORT : S_OK;
}

void CZenfolioPublisher::ShowTransferProgress(ULONG total, ULONG done)
{
    ShownProgress& shown = Shown();
    const auto percent = static_cast<ULONG>(static_cast<ULONGLONG>(done) * 100 / total);
    ULONG delta;
    {
        std::lock_guard lock(shown.mutex);
        if (percent == shown.lastPercent) return;
        delta = percent - shown.lastPercent;
        shown.lastPercent = percent;
    }
    const HWND progress = progressWindow_;
    const auto position = static_cast<LONG>(SendMessageW(progress, PBM_GETPOS, 0, 0));
    SendMessageW(progress, PBM_SETPOS, static_cast<WPARAM>(position + static_cast<LONG>(delta)), 0);
    rateMeter_.Add(delta);

    const std::optional<ULONGLONG> timeLeft = rateMeter_.TimeLeft();
    pal::WideString line = orvana::ProgressStatusLine(rateMeter_.Total(), rateMeter_.Done(), timeLeft, numberFormat_);
    {
        std::lock_guard lock(shown.mutex);
        if (line == shown.lastStatusText) return;
        shown.lastStatusText = line;
    }
    SetWindowTextW(statusWindow_, line.c_str());
}
