// Where message boxes and dialogs go: over their owner, on the pointer, and
// always inside the nearest monitor's work area; and message boxes asked for
// from another thread, shown on the GUI thread while the caller waits.
#include "modal_driver.h"
#include "pal/window/qt/gui_thread.h"
#include "pal/window/qt/widget_window.h"
#include "pal/window/qt/window_placement.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QWidget>
#include <thread>
#include <windows.h>

namespace {

using pal::qt::FixedScreenLayout;
using pal::qt::Monitor;

const std::vector<Monitor> kTwoMonitors{{QRect(0, 0, 1000, 800), QRect(0, 0, 1000, 760)},
                                        {QRect(1000, 100, 600, 500), QRect(1000, 100, 600, 500)}};

TEST(WindowPlacement, ThePointerCentresTheFrameAndTheWorkAreaUnderItHoldsIt)
{
    const QRect frame(0, 0, 200, 100);
    EXPECT_EQ(QRect(400, 350, 200, 100), pal::qt::PointerPlacement(frame, FixedScreenLayout(kTwoMonitors, {500, 400})));
    // Near the taskbar: pulled up into the work area, not the screen.
    EXPECT_EQ(QRect(400, 660, 200, 100), pal::qt::PointerPlacement(frame, FixedScreenLayout(kTwoMonitors, {500, 790})));
    // On the second monitor's edge: stays on that monitor.
    EXPECT_EQ(QRect(1000, 100, 200, 100),
              pal::qt::PointerPlacement(frame, FixedScreenLayout(kTwoMonitors, {1010, 105})));
    // Larger than the work area: its top left corner is kept inside.
    EXPECT_EQ(QRect(1000, 100, 700, 600),
              pal::qt::PointerPlacement(QRect(0, 0, 700, 600), FixedScreenLayout(kTwoMonitors, {1300, 350})));
    // A pointer off every monitor goes by the closest one.
    EXPECT_EQ(QRect(1400, 250, 200, 100),
              pal::qt::PointerPlacement(frame, FixedScreenLayout(kTwoMonitors, {1700, 300})));
}

TEST(WindowPlacement, AMessageBoxCentresOverAShownOwnerElseOverTheNearestWorkArea)
{
    const FixedScreenLayout layout(kTwoMonitors, {0, 0});
    const QRect box(0, 0, 300, 120);
    EXPECT_EQ(QRect(250, 240, 300, 120), pal::qt::OwnerCentredPlacement(box, QRect(100, 100, 600, 400), layout));
    // An owner hanging off the bottom: the box stays inside the work area.
    EXPECT_EQ(640, pal::qt::OwnerCentredPlacement(box, QRect(100, 600, 600, 400), layout).top());
    // No shown owner: the centre of the work area the box is nearest to.
    EXPECT_EQ(QRect(350, 320, 300, 120), pal::qt::OwnerCentredPlacement(box, std::nullopt, layout));
    EXPECT_EQ(QRect(1150, 290, 300, 120),
              pal::qt::OwnerCentredPlacement(box.translated(1200, 200), std::nullopt, layout));
}

class OwnedMessageBox : public testing::Test {
  protected:
    void SetUp() override
    {
        pal::qt::SetScreenLayout(std::make_shared<FixedScreenLayout>(kTwoMonitors, QPoint(0, 0)));
        owner_.setGeometry(100, 100, 600, 400);
        owner_.show();
        handle_ = pal::qt::RegisterWidget(&owner_);
    }
    void TearDown() override { pal::qt::SetScreenLayout(nullptr); }

    // MessageBoxW from another thread, as the plug-in's workers call it; the
    // GUI thread runs the box meanwhile. Answers the box's placement.
    QRect ShowFromWorker(QString* caption = nullptr, QString* text = nullptr)
    {
        QRect placed;
        ui_testing::WhenModalShows<QMessageBox>([&](QMessageBox& box) {
            placed = box.frameGeometry();
            if (caption) *caption = box.windowTitle();
            if (text) *text = box.text();
            EXPECT_EQ(&owner_, box.parentWidget());
            EXPECT_EQ(QMessageBox::Critical, box.icon());
            box.button(QMessageBox::Ok)->click();
        });
        QEventLoop loop;
        int answer = 0;
        std::thread worker([&] {
            answer = MessageBoxW(handle_, u"Login failed or communication error.", u"Authorization Error",
                                 MB_OK | MB_ICONERROR);
            pal::qt::PostToGuiThread([&loop] { loop.quit(); });
        });
        loop.exec();
        worker.join();
        EXPECT_EQ(IDOK, answer);
        return placed;
    }

    QWidget owner_;
    HWND handle_ = nullptr;
};

TEST_F(OwnedMessageBox, ShowsOnTheGuiThreadCentredOverItsVisibleOwner)
{
    QString caption, text;
    const QRect placed = ShowFromWorker(&caption, &text);
    EXPECT_EQ(QStringLiteral("Authorization Error"), caption);
    EXPECT_EQ(QStringLiteral("Login failed or communication error."), text);
    const QRect owner = owner_.frameGeometry();
    EXPECT_EQ(owner.topLeft() +
                  QPoint(owner.width() / 2 - placed.width() / 2, owner.height() / 2 - placed.height() / 2),
              placed.topLeft());
}

TEST_F(OwnedMessageBox, GoesToTheWorkAreaWhenTheOwnerIsMinimised)
{
    owner_.showMinimized();
    const QRect placed = ShowFromWorker();
    EXPECT_EQ(QPoint(500 - placed.width() / 2, 380 - placed.height() / 2), placed.topLeft());
}

TEST_F(OwnedMessageBox, AClosedOwnerIsNoWindow)
{
    auto* transient = new QWidget;
    const HWND gone = pal::qt::RegisterWidget(transient);
    EXPECT_EQ(transient, pal::qt::WidgetOf(gone));
    delete transient;
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(nullptr, pal::qt::WidgetOf(gone));
    EXPECT_EQ(0, MessageBoxW(gone, u"text", u"caption", MB_OK));
}

} // namespace
