#include "host/viewer/viewer_window.h"

#include "host/com_apartment.h"
#include "host/plugin_catalog.h"
#include "host/selection.h"
#include "host/viewer/display_state_links.h"
#include "host/viewer/log_pane.h"
#include "host/viewer/thumbnails.h"
#include "pal/bstr.h"
#include "pal/window/qt/gui_thread.h"
#include "pal/window/qt/widget_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

namespace viewer {

namespace {

// "1 picture", "3 pictures".
QString Pictures(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 picture") : QStringLiteral("%1 pictures").arg(count);
}

QString HresultText(HRESULT hr)
{
    return QString::fromStdString(host::HresultText(hr));
}

QString DisplayStateOf(IOrvanaPublishingPlugin* plugin)
{
    pal::Bstr state;
    if (const HRESULT hr = plugin->GetDisplayState(state.ReleaseAndGetAddressOf()); FAILED(hr))
        return QStringLiteral("The plug-in cannot tell its state (HRESULT %1).").arg(HresultText(hr)).toHtmlEscaped();
    const std::u16string text = state.Str();
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ViewerWindow::ViewerWindow(host::PluginSession& session, const std::filesystem::path& folder, QWidget* parent)
    : QMainWindow(parent), session_(session)
{
    BuildLayout();
    // QDir names "/a/b/" as "b", where the path's filename would be empty.
    setWindowTitle(QStringLiteral("%1 - Orvana Viewer").arg(QDir(QString::fromStdString(folder.string())).dirName()));
    resize(1000, 720);
    windowHandle_ = pal::qt::RegisterWidget(this);
    progressHandle_ = pal::qt::RegisterWidget(progress_);
    statusHandle_ = pal::qt::RegisterWidget(status_);
    if (!windowHandle_ || !progressHandle_ || !statusHandle_)
        throw std::runtime_error("the window's handles cannot be registered");
    host::PublishingLog& log = session_.Host().LogOutput();
    log.SetEchoLevel(host::kLogTrace);
    log.SetEchoSink(log_->Sink());
    thumbnails_->ShowFolder(folder);
    statusBar()->showMessage(
        QStringLiteral("%1 in %2").arg(Pictures(thumbnails_->count())).arg(QString::fromStdString(folder.string())));
    RefreshDisplayState();
    UpdateButtons();
}

ViewerWindow::~ViewerWindow()
{
    if (worker_.joinable()) {
        session_.Plugin()->Cancel(TRUE);
        // The worker may be waiting for this thread to draw; keep serving it.
        QTimer tick;
        tick.start(10);
        while (!workerDone_.load())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        JoinWorker();
    }
    session_.Host().LogOutput().SetEchoSink(nullptr);
}

void ViewerWindow::BuildLayout()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);

    displayState_ = new QLabel(central);
    displayState_->setTextFormat(Qt::RichText);
    displayState_->setWordWrap(true);
    displayState_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    displayState_->setFrameShape(QFrame::StyledPanel);
    displayState_->setMargin(6);
    connect(displayState_, &QLabel::linkActivated, this, [this](const QString& href) { OnLinkActivated(href); });
    column->addWidget(displayState_);

    auto* splitter = new QSplitter(Qt::Vertical, central);
    thumbnails_ = new ThumbnailList(splitter);
    connect(thumbnails_, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
    log_ = new LogPane(splitter);
    splitter->addWidget(thumbnails_);
    splitter->addWidget(log_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    column->addWidget(splitter, 1);

    progress_ = new QProgressBar(central);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    column->addWidget(progress_);

    auto* row = new QHBoxLayout();
    status_ = new QLabel(central);
    status_->setTextFormat(Qt::PlainText);
    row->addWidget(status_, 1);
    publish_ = new QPushButton(QStringLiteral("Publish"), central);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), central);
    abort_ = new QPushButton(QStringLiteral("Abort"), central);
    cancel_->setToolTip(QStringLiteral("Stop after the picture being sent"));
    abort_->setToolTip(QStringLiteral("Stop now, breaking off the transfer"));
    publish_->setDefault(true);
    connect(publish_, &QPushButton::clicked, this, [this] { OnPublish(); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        session_.Plugin()->Cancel(FALSE);
        UpdateButtons();
    });
    connect(abort_, &QPushButton::clicked, this, [this] {
        aborted_ = true;
        session_.Plugin()->Cancel(TRUE);
        UpdateButtons();
    });
    row->addWidget(publish_);
    row->addWidget(cancel_);
    row->addWidget(abort_);
    column->addLayout(row);

    setCentralWidget(central);
}

void ViewerWindow::RefreshDisplayState()
{
    displayState_->setText(WithVerbLinks(DisplayStateOf(session_.Plugin())));
}

void ViewerWindow::OnLinkActivated(const QString& href)
{
    const std::optional<VerbLink> link = ParseVerbLink(href);
    if (!link) return;
    if (IsPublishing()) {
        ShowError(QStringLiteral("The plug-in cannot be set up while it publishes; wait for the run to end."));
        return;
    }
    // On this thread: the plug-in runs its dialog modally to this window.
    const HRESULT hr = session_.Plugin()->Configure(windowHandle_, reinterpret_cast<LPCWSTR>(link->verb.utf16()),
                                                    reinterpret_cast<LPCWSTR>(link->parameters.utf16()));
    RefreshDisplayState();
    if (hr == E_NOTIMPL) {
        ShowError(QStringLiteral("The plug-in cannot show \"%1\" yet (HRESULT %2).").arg(link->verb, HresultText(hr)));
    } else if (FAILED(hr)) {
        ShowError(
            QStringLiteral("The plug-in could not carry out \"%1\" (HRESULT %2).").arg(link->verb, HresultText(hr)));
    }
}

void ViewerWindow::OnPublish()
{
    if (IsPublishing()) return;
    const std::vector<std::filesystem::path> files = thumbnails_->SelectedFiles();
    if (files.empty()) {
        ShowError(QStringLiteral("Select the pictures to publish first."));
        return;
    }
    host::Selection selection;
    try {
        selection = host::Selection::FromPaths(files);
    } catch (const std::runtime_error& error) {
        ShowError(QStringLiteral("The selection cannot be published: %1.").arg(QString::fromStdString(error.what())));
        return;
    }
    runPictures_ = selection.Items().size();
    session_.Host().SetSelection(std::move(selection));
    if (!ReadyToPublish()) return;
    StartRun();
}

bool ViewerWindow::ReadyToPublish()
{
    IOrvanaPublishingPlugin* plugin = session_.Plugin();
    // Without the connectivity check first: a plug-in lacking its account or
    // gallery says nothing, and the sentence is the viewer's to show.
    HRESULT hr = plugin->CanPublish(windowHandle_, FALSE);
    if (hr == S_FALSE) {
        const bool authorized = !DisplayStateOf(plugin).contains(QStringLiteral("id=\"authorize\""));
        ShowError(authorized ? QStringLiteral("Choose the gallery to publish to in the plug-in's settings first.")
                             : QStringLiteral("Authorize the plug-in first: it needs the account to publish to."));
        return false;
    }
    // The live login; the plug-in shows its own boxes when it fails.
    if (hr == S_OK) hr = plugin->CanPublish(windowHandle_, TRUE);
    if (FAILED(hr))
        ShowError(QStringLiteral("The plug-in cannot check that it can publish (HRESULT %1).").arg(HresultText(hr)));
    RefreshDisplayState();
    return hr == S_OK;
}

void ViewerWindow::StartRun()
{
    cancelled_ = false;
    aborted_ = false;
    workerDone_ = false;
    failedBefore_ = session_.Host().LogOutput().Count(host::kLogPictureFailed);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    status_->clear();
    statusBar()->showMessage(QStringLiteral("Publishing %1...").arg(Pictures(runPictures_)));
    pal::ComPtr<IOrvanaPublishingPlugin> plugin(session_.Plugin());
    worker_ = std::thread([this, plugin, progress = progressHandle_, status = statusHandle_] {
        HRESULT result = E_UNEXPECTED;
        try {
            host::ComApartment apartment;
            result = plugin->Publish(progress, status);
        } catch (...) {
            // The apartment could not be joined; the result says so.
        }
        // Queued: this thread must not wait for the GUI thread's attention.
        pal::qt::PostToGuiThread([window = QPointer<ViewerWindow>(this), result] {
            if (window) window->OnRunEnded(result);
        });
        workerDone_ = true;
    });
    UpdateButtons();
}

void ViewerWindow::OnRunEnded(HRESULT result)
{
    if (!worker_.joinable()) return; // the destructor joined it
    JoinWorker();
    const unsigned failed = session_.Host().LogOutput().Count(host::kLogPictureFailed) - failedBefore_;
    if (FAILED(result)) {
        log_->AppendLine(host::kLogRunFailed,
                         QStringLiteral("The run ended with HRESULT %1.").arg(HresultText(result)));
        statusBar()->showMessage(QStringLiteral("The run failed; the log is in %1")
                                     .arg(QString::fromStdString(session_.LogFile().string())));
    } else if (cancelled_ || aborted_) {
        statusBar()->showMessage(QStringLiteral("The run was cancelled."));
    } else if (failed > 0) {
        statusBar()->showMessage(QStringLiteral("%1 of %2 could not be published; the log is in %3")
                                     .arg(failed)
                                     .arg(Pictures(runPictures_))
                                     .arg(QString::fromStdString(session_.LogFile().string())));
    } else {
        statusBar()->showMessage(QStringLiteral("%1 published.").arg(Pictures(runPictures_)));
    }
    UpdateButtons();
    RefreshDisplayState();
    if (closeWhenDone_) QTimer::singleShot(0, this, [this] { close(); });
}

void ViewerWindow::JoinWorker()
{
    if (worker_.joinable()) worker_.join();
}

void ViewerWindow::closeEvent(QCloseEvent* event)
{
    if (!IsPublishing()) {
        event->accept();
        return;
    }
    event->ignore();
    if (closeWhenDone_) return;
    closeWhenDone_ = true;
    aborted_ = true;
    session_.Plugin()->Cancel(TRUE);
    statusBar()->showMessage(QStringLiteral("Stopping the run; the window closes when it has ended."));
    UpdateButtons();
}

void ViewerWindow::UpdateButtons()
{
    const bool running = IsPublishing();
    publish_->setEnabled(!running && !thumbnails_->selectedItems().isEmpty());
    cancel_->setEnabled(running && !cancelled_ && !aborted_);
    abort_->setEnabled(running && !aborted_);
}

void ViewerWindow::ShowError(const QString& sentence)
{
    QMessageBox::warning(this, QStringLiteral("Orvana Viewer"), sentence);
}

} // namespace viewer
