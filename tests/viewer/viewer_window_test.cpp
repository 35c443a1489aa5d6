// The viewer's window in-process, driven as a user would, with the real
// component registered in the test's prefix and the service emulator on
// loopback (reached through http_proxy; every other proxy variable cleared).
#include "host/plugin_catalog.h"
#include "host/state_store.h"
#include "host/text_file.h"
#include "host/viewer/log_pane.h"
#include "host/viewer/thumbnails.h"
#include "host/viewer/viewer_window.h"
#include "pal/com/stream.h"
#include "pal/utf.h"
#include "settings/publisher_state.h"
#include "tests/support/component_module.h"
#include "tests/support/demo_account.h"
#include "tests/support/emulated_service.h"
#include "tests/support/test_pictures.h"
#include "tests/ui/modal_driver.h"
#include "ui/credentials_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <set>

namespace {

namespace fs = std::filesystem;

// Answers every message box shown while it lives, keeping their texts.
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_.push_back(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(20);
    }
    const QStringList& Texts() const { return texts_; }

  private:
    QTimer timer_;
    QStringList texts_;
};

class ViewerWindowTest : public testing_support::EmulatedServiceTest {
  protected:
    void SetUp() override
    {
        EmulatedServiceTest::SetUp();
        ASSERT_EQ(0u, emulator_->Url().rfind("http://127.0.0.1:", 0)) << "loopback only";
        ASSERT_EQ(S_OK, module_.RegisterServer());
        gallery_ = testing_support::FirstDemoGallery(*emulator_);
        ASSERT_NE(0, gallery_.id);
        folder_ = prefix_.Path() / "pictures";
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        window_.reset();
        session_.reset();
        EmulatedServiceTest::TearDown();
    }

    // The record the account tool writes, in the store both hosts read.
    void StoreAccount()
    {
        state_ = testing_support::DemoAccountRecord(gallery_);
        pal::ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()));
        orvana::SaveState(stream.Get(), state_);
        host::StateStore::InPrefix().Save(CLSID_ZenfolioPublisher, stream.Get());
    }

    fs::path Jpeg(const std::string& name, int width = 64, int height = 48)
    {
        test_pictures::JpegOptions options;
        options.width = width;
        options.height = height;
        return test_pictures::WriteJpeg(folder_ / name, options);
    }

    void OpenWindow()
    {
        session_.emplace(host::StateStore::InPrefix(), true);
        window_.emplace(*session_, folder_);
        window_->show();
    }
    void SelectAll() { window_->Thumbnails()->selectAll(); }

    std::vector<std::string> ArrivedNames() const
    {
        std::vector<std::string> names;
        for (const auto& photo : emulator_->Photos())
            names.push_back(photo.file_name);
        return names;
    }
    QString LogText() const { return window_->Log()->toPlainText(); }

    // On a real display (ORVANA_TEST_ON_DISPLAY=1 under xvfb-run) the screen
    // where the window is, dialogs over it included, is kept to be looked at.
    void KeepScreen(const char* name) const
    {
        if (qEnvironmentVariable("ORVANA_TEST_ON_DISPLAY") != QLatin1String("1")) return;
        QCoreApplication::processEvents();
        QDir().mkpath(QStringLiteral(ORVANA_SCREENSHOT_DIR));
        const QString file = QStringLiteral(ORVANA_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
        const QRect area = window_->frameGeometry();
        const QPixmap screen = window_->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        EXPECT_TRUE(screen.save(file)) << file.toStdString();
    }

    testing_support::ComponentModule module_;
    emulator::PhotoSetInfo gallery_;
    orvana::PublisherState state_;
    fs::path folder_;
    std::optional<host::PluginSession> session_;
    std::optional<viewer::ViewerWindow> window_;
};

TEST_F(ViewerWindowTest, PublishesTheSelectedPicturesAndShowsTheRun)
{
    StoreAccount();
    Jpeg("one.jpg");
    Jpeg("three.jpg", 120, 80);
    Jpeg("two.jpg");
    OpenWindow();
    ASSERT_EQ(3, window_->Thumbnails()->count());
    EXPECT_TRUE(window_->DisplayState()->text().contains(QString::fromStdString(gallery_.title)));
    EXPECT_FALSE(window_->PublishButton()->isEnabled()) << "nothing selected";
    SelectAll();
    ASSERT_TRUE(window_->PublishButton()->isEnabled());

    std::vector<int> values;
    QObject::connect(window_->Progress(), &QProgressBar::valueChanged, [&](int value) { values.push_back(value); });
    window_->PublishButton()->click();
    EXPECT_TRUE(window_->IsPublishing());
    EXPECT_FALSE(window_->PublishButton()->isEnabled());
    EXPECT_TRUE(window_->CancelButton()->isEnabled());
    EXPECT_TRUE(window_->AbortButton()->isEnabled());
    ASSERT_TRUE(ui_testing::WaitUntil([&] { return !window_->IsPublishing(); }));

    EXPECT_EQ((std::vector<std::string>{"one.jpg", "three.jpg", "two.jpg"}), ArrivedNames());
    const QProgressBar* bar = window_->Progress();
    EXPECT_EQ(300, bar->maximum());
    EXPECT_EQ(bar->maximum(), bar->value());
    EXPECT_GE(std::set<int>(values.begin(), values.end()).size(), 3u) << "a step for each picture at least";
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "and never back";
    EXPECT_EQ(QStringLiteral("Done."), window_->Status()->text());
    KeepScreen("viewer-after-run");
    const QString log = LogText();
    for (const QString& line :
         QStringList{QStringLiteral("Zenfolio: trace: Starting."),
                     QStringLiteral("Zenfolio: progress: Publishing to ") + QString::fromStdString(gallery_.title),
                     QStringLiteral("Zenfolio: progress: Publishing \"") +
                         QString::fromStdString((folder_ / "two.jpg").string()) + QStringLiteral("\"."),
                     QStringLiteral("Zenfolio: trace: Ending.")})
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\nin\n" << log.toStdString();
    EXPECT_TRUE(log.endsWith(QStringLiteral("Ending."))) << "every line queued by the run was shown";
    EXPECT_TRUE(window_->PublishButton()->isEnabled());
    EXPECT_FALSE(window_->CancelButton()->isEnabled());
    EXPECT_FALSE(window_->AbortButton()->isEnabled());

    // The console host reads the record the viewer saved back on leaving.
    window_.reset();
    session_->Finish();
    pal::ComPtr<IStream> saved = host::StateStore::InPrefix().Open(CLSID_ZenfolioPublisher);
    orvana::PublisherState reloaded;
    orvana::LoadState(saved.Get(), reloaded);
    EXPECT_EQ(state_, reloaded);
}

TEST_F(ViewerWindowTest, ClosingDuringARunAbortsItAndClosesWhenItHasEnded)
{
    StoreAccount();
    Jpeg("big.jpg", 2400, 1800);
    Jpeg("next.jpg");
    OpenWindow();
    SelectAll();
    bool closedAtOnce = false;
    bool asked = false;
    // While the plug-in waits for the bar to draw, part way through the first picture.
    QObject::connect(window_->Progress(), &QProgressBar::valueChanged, [&](int value) {
        if (asked || value <= 0 || value >= 100) return;
        asked = true;
        window_->close();
        closedAtOnce = !window_->isVisible();
    });
    window_->PublishButton()->click();
    ASSERT_TRUE(ui_testing::WaitUntil([&] { return !window_->IsPublishing(); }));
    ASSERT_TRUE(asked);
    EXPECT_FALSE(closedAtOnce) << "the window stays until the run has ended";
    EXPECT_TRUE(ArrivedNames().empty());
    EXPECT_EQ(QStringLiteral("Cancelled, aborted uploads."), window_->Status()->text());
    EXPECT_TRUE(LogText().contains(QStringLiteral("Cancelling ABRUPTLY at user request.")));
    EXPECT_TRUE(ui_testing::WaitUntil([&] { return !window_->isVisible(); }, 5000)) << "closed once the run ended";
}

TEST_F(ViewerWindowTest, AWindowDestroyedDuringARunAbortsItAndWaitsForIt)
{
    StoreAccount();
    Jpeg("big.jpg", 2400, 1800);
    Jpeg("next.jpg");
    OpenWindow();
    SelectAll();
    bool asked = false;
    QObject::connect(window_->Progress(), &QProgressBar::valueChanged, [&](int value) {
        if (asked || value <= 0 || value >= 100) return;
        asked = true;
        // Posted now, so it comes before the plug-in's next call on the bar.
        QMetaObject::invokeMethod(
            qApp, [this] { window_.reset(); }, Qt::QueuedConnection);
    });
    window_->PublishButton()->click();
    ASSERT_TRUE(ui_testing::WaitUntil([&] { return !window_; }));
    EXPECT_TRUE(ArrivedNames().empty());
    // The file has the run's last line: the worker was done before the window went.
    const std::optional<std::string> log = host::ReadWholeFile(session_->LogFile());
    ASSERT_TRUE(log);
    EXPECT_NE(std::string::npos, log->find("Cancelling ABRUPTLY at user request."));
    EXPECT_EQ(log->size() - std::string("Zenfolio: trace: Ending.\n").size(), log->rfind("Zenfolio: trace: Ending.\n"));
    session_->Finish();
}

TEST_F(ViewerWindowTest, TheAuthorizeLinkOpensTheCredentialsDialogAndTheStateFollowsIt)
{
    Jpeg("one.jpg");
    OpenWindow();
    bool shown = false;
    ui_testing::WhenModalShows<QDialog>([&](QDialog& dialog) {
        shown = true;
        EXPECT_EQ(window_.operator->(), dialog.parentWidget()) << "modal to the viewer's window";
        ui_testing::Control<QLineEdit>(dialog, orvana::kIdcAccountIdentifier)->setText(QStringLiteral("demo"));
        ui_testing::Control<QLineEdit>(dialog, orvana::kIdcAccountPassword)->setText(QStringLiteral("zenfolio-demo"));
        KeepScreen("viewer-credentials-dialog");
        ui_testing::Control<QPushButton>(dialog, IDOK)->click();
    });
    emit window_->DisplayState()->linkActivated(QStringLiteral("orvana-verb:authorize?"));
    EXPECT_TRUE(shown);
    const QString state = window_->DisplayState()->text();
    EXPECT_TRUE(state.contains(QStringLiteral("now authorized to publish to Zenfolio as Demo Photographer")))
        << state.toStdString();
    EXPECT_TRUE(state.contains(QStringLiteral("href=\"orvana-verb:settings?")));
}

TEST_F(ViewerWindowTest, TheLinksAndTheReadinessCheckAnswerInBoxes)
{
    Jpeg("one.jpg");
    OpenWindow();
    QLabel* state = window_->DisplayState();
    EXPECT_TRUE(state->text().contains(QStringLiteral("href=\"orvana-verb:authorize?\"")))
        << state->text().toStdString();

    MessageBoxAnswerer answerer;
    SelectAll();
    window_->PublishButton()->click();
    EXPECT_FALSE(window_->IsPublishing());
    ASSERT_EQ(1, answerer.Texts().size());
    EXPECT_TRUE(answerer.Texts()[0].startsWith(QStringLiteral("Authorize the plug-in first")));

    // The settings sheet does not exist yet: its link is answered, not followed.
    window_.reset();
    session_.reset();
    StoreAccount();
    OpenWindow();
    EXPECT_TRUE(window_->DisplayState()->text().contains(QStringLiteral("href=\"orvana-verb:settings?parameters\"")));
    emit window_->DisplayState()->linkActivated(QStringLiteral("orvana-verb:settings?parameters"));
    ASSERT_EQ(2, answerer.Texts().size());
    EXPECT_EQ(QStringLiteral("The plug-in cannot show \"settings\" yet (HRESULT 0x80004001)."), answerer.Texts()[1]);
    EXPECT_TRUE(window_->DisplayState()->text().contains(QString::fromStdString(gallery_.title)));
}

} // namespace
