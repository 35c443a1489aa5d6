// The viewer's main window: the folder's thumbnails, the plug-in's display
// state with its links, the run's progress bar and status text (the handles
// the plug-in draws on), the buttons and the log.
//
// Threads: the GUI thread creates, configures and checks the plug-in; the
// run alone goes on a worker. The plug-in's window calls from the worker wait
// for the GUI thread, so the GUI thread never waits for the worker: the
// worker's end is posted back as a queued call and joined only then.
#pragma once

#include "host/plugin_session.h"
#include "pal/window/window.h"

#include <QMainWindow>
#include <atomic>
#include <filesystem>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace viewer {

class LogPane;
class ThumbnailList;

class ViewerWindow : public QMainWindow {
  public:
    ViewerWindow(host::PluginSession& session, const std::filesystem::path& folder, QWidget* parent = nullptr);
    // A run still going is aborted and waited for, events flowing meanwhile.
    ~ViewerWindow() override;
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    bool IsPublishing() const { return worker_.joinable(); }
    void RefreshDisplayState();

    ThumbnailList* Thumbnails() const { return thumbnails_; }
    QLabel* DisplayState() const { return displayState_; }
    QPushButton* PublishButton() const { return publish_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* AbortButton() const { return abort_; }
    QProgressBar* Progress() const { return progress_; }
    QLabel* Status() const { return status_; }
    LogPane* Log() const { return log_; }

  protected:
    // During a run the window stays until the run, aborted, has ended.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildLayout();
    void OnLinkActivated(const QString& href);
    void OnPublish();
    bool ReadyToPublish();
    void StartRun();
    void OnRunEnded(HRESULT result);
    void JoinWorker();
    void UpdateButtons();
    void ShowError(const QString& sentence);

    host::PluginSession& session_;
    HWND windowHandle_ = nullptr;
    HWND progressHandle_ = nullptr;
    HWND statusHandle_ = nullptr;
    ThumbnailList* thumbnails_ = nullptr;
    QLabel* displayState_ = nullptr;
    QPushButton* publish_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* abort_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    LogPane* log_ = nullptr;

    std::thread worker_;
    std::atomic<bool> workerDone_{false};
    bool cancelled_ = false;
    bool aborted_ = false;
    bool closeWhenDone_ = false;
    std::size_t runPictures_ = 0;
    unsigned failedBefore_ = 0;
};

} // namespace viewer
