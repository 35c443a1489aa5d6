// The "authorize" verb of the real component, loaded from its module, with
// the dialog on the GUI thread and the service emulator behind the proxy
// setting: what the user types, what the service says, what is stored.
#include "contract/orvana_publishing.h"
#include "modal_driver.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"
#include "pal/window/qt/gui_thread.h"
#include "pal/window/qt/widget_window.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"
#include "tests/support/component_module.h"
#include "tests/support/emulated_service.h"
#include "tests/support/recording_host.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <thread>

namespace {

using ui_testing::Control;
using ui_testing::WhenModalShows;

class Authorize : public testing_support::EmulatedServiceTest {
  protected:
    void SetUp() override
    {
        EmulatedServiceTest::SetUp();
        ASSERT_EQ(S_OK, module_.RegisterServer());
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ZenfolioPublisher, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IOrvanaPublishingPlugin, plugin_.ReleaseAndGetVoidAddress()));
        hostObject_ = pal::MakeComObject<testing_support::RecordingHost, IPublishingHost>();
        ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream_.ReleaseAndGetAddressOf()));
        owner_.setGeometry(50, 50, 640, 480);
        owner_.show();
        ownerHandle_ = pal::qt::RegisterWidget(&owner_);
    }
    void TearDown() override
    {
        plugin_.Reset();
        hostObject_.Reset();
        EmulatedServiceTest::TearDown();
    }

    void Initialize(const orvana::PublisherState& stored)
    {
        orvana::SaveState(stream_.Get(), stored);
        stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        ASSERT_EQ(S_OK, plugin_->Initialize(hostObject_.Get(), 0x409, stream_.Get(), 0));
    }
    // What the component stores at its end.
    orvana::PublisherState Stored()
    {
        EXPECT_EQ(S_OK, plugin_->Terminate());
        stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        orvana::PublisherState state;
        orvana::LoadState(stream_.Get(), state);
        return state;
    }
    std::u16string DisplayState()
    {
        pal::Bstr text;
        EXPECT_EQ(S_OK, plugin_->GetDisplayState(text.ReleaseAndGetAddressOf()));
        return text.Str();
    }
    // The user's part in the dialog: what is shown, then typing and OK.
    static void TypeAndConfirm(QDialog& dialog, const QString& expectedShown, const QString& identifier,
                               const QString& password)
    {
        EXPECT_EQ(QStringLiteral("217"), dialog.objectName());
        auto* identifierEdit = Control<QLineEdit>(dialog, 205);
        EXPECT_EQ(expectedShown, identifierEdit->text());
        identifierEdit->selectAll();
        QTest::keyClicks(identifierEdit, identifier);
        QTest::keyClicks(Control<QLineEdit>(dialog, 206), password);
        QTest::mouseClick(Control<QPushButton>(dialog, IDOK), Qt::LeftButton);
    }

    testing_support::ComponentModule module_;
    pal::ComPtr<IOrvanaPublishingPlugin> plugin_;
    pal::ComPtr<IPublishingHost> hostObject_;
    pal::ComPtr<IStream> stream_;
    QWidget owner_;
    HWND ownerHandle_ = nullptr;
};

TEST_F(Authorize, ARightPasswordStoresTheAccountAndTheDisplayStateAsksForSettings)
{
    Initialize({});
    WhenModalShows<QDialog>([](QDialog& dialog) {
        TypeAndConfirm(dialog, QString(), QStringLiteral(" demo@example.com "), QStringLiteral("zenfolio-demo"));
    });
    // From a worker thread, as a settings page's worker asks: the dialog runs
    // on the GUI thread while the worker waits.
    QEventLoop loop;
    HRESULT configured = E_FAIL;
    std::thread worker([&] {
        configured = plugin_->Configure(ownerHandle_, u"Authorize", u"");
        pal::qt::PostToGuiThread([&loop] { loop.quit(); });
    });
    loop.exec();
    worker.join();
    ASSERT_EQ(S_OK, configured);
    EXPECT_EQ(u"Orvana is now authorized to publish to Zenfolio as Demo Photographer. A few bits remain to be "
              u"configured. <a id=\"settings\" href=\"\">Settings...</a>",
              DisplayState());
    EXPECT_EQ(S_FALSE, plugin_->CanPublish(ownerHandle_, FALSE)) << "no gallery yet";

    const orvana::PublisherState stored = Stored();
    EXPECT_EQ(u"demo@example.com", stored.AccountIdentifier.value_or(u"?")) << "trimmed, as typed";
    EXPECT_EQ(u"demo", stored.LoginName.value_or(u"?")) << "the profile's login name";
    EXPECT_EQ(u"Demo Photographer", stored.DisplayName.value_or(u"?"));
    EXPECT_EQ(10737418240LL, stored.PhotoBytesQuota);
    EXPECT_EQ(u"http://demo.zenfolio.com", stored.HomeUrl.value_or(u"?"));
    ASSERT_TRUE(stored.ProtectedPassword);
    EXPECT_EQ(u"zenfolio-demo", orvana::UnprotectPassword(*stored.ProtectedPassword));
    EXPECT_FALSE(stored.GalleryId);
}

TEST_F(Authorize, ARefusedLoginShowsTheErrorBoxAndKeepsTheStoredAccount)
{
    orvana::PublisherState earlier;
    earlier.AccountIdentifier = u"demo";
    earlier.ProtectedPassword = orvana::ProtectPassword(u"zenfolio-demo");
    earlier.LoginName = u"demo";
    earlier.DisplayName = u"Demo Photographer";
    earlier.GalleryId = u"12";
    Initialize(earlier);
    QString caption, text;
    WhenModalShows<QDialog>([&](QDialog& dialog) {
        WhenModalShows<QMessageBox>([&](QMessageBox& box) {
            caption = box.windowTitle();
            text = box.text();
            EXPECT_EQ(&owner_, box.parentWidget());
            box.accept();
        });
        TypeAndConfirm(dialog, QStringLiteral("demo"), QStringLiteral("demo"), QStringLiteral("wrong"));
    });
    EXPECT_EQ(S_OK, plugin_->Configure(ownerHandle_, u"authorize", u"")) << "the box told the user";
    EXPECT_EQ(QStringLiteral("Authorization Error"), caption);
    EXPECT_EQ(QStringLiteral("Login failed or communication error."), text);
    EXPECT_EQ(earlier, Stored());
}

TEST_F(Authorize, CancellingChangesNothing)
{
    Initialize({});
    WhenModalShows<QDialog>([](QDialog& dialog) {
        QTest::keyClicks(Control<QLineEdit>(dialog, 205), QStringLiteral("demo"));
        QTest::keyClicks(Control<QLineEdit>(dialog, 206), QStringLiteral("zenfolio-demo"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(S_OK, plugin_->Configure(ownerHandle_, u"authorize", u""));
    EXPECT_NE(std::u16string::npos, DisplayState().find(u"id=\"authorize\""));
    EXPECT_EQ(orvana::PublisherState{}, Stored());
}

} // namespace
