// The credentials dialog as a user meets it: built from its resource table,
// validated as it is typed into, and closed by OK, Cancel or Escape.
#include "modal_driver.h"
#include "pal/window/qt/screen_layout.h"
#include "pal/window/window_object.h"
#include "ui/credentials_dialog.h"
#include "ui/qt/dialog_units.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>

namespace {

using ui_testing::Control;
using ui_testing::WhenModalShows;

class CredentialsDialog : public testing::Test {
  protected:
    void SetUp() override
    {
        pal::SetBeeper([this](UINT) { ++beeps_; });
    }
    void TearDown() override
    {
        pal::SetBeeper(nullptr);
        pal::qt::SetScreenLayout(nullptr);
    }

    // Runs the dialog with act as the user's part; answers DoModal's result.
    INT_PTR Run(orvana::CCredentialsDlg& dialog, std::function<void(QDialog&)> act)
    {
        WhenModalShows<QDialog>(std::move(act));
        return dialog.DoModal(nullptr);
    }

    static QLineEdit& Identifier(QDialog& dialog) { return *Control<QLineEdit>(dialog, orvana::kIdcAccountIdentifier); }
    static QLineEdit& Password(QDialog& dialog) { return *Control<QLineEdit>(dialog, orvana::kIdcAccountPassword); }
    static QPushButton& Ok(QDialog& dialog) { return *Control<QPushButton>(dialog, IDOK); }

    std::atomic<int> beeps_{0};
};

TEST_F(CredentialsDialog, IsBuiltFromItsResourceTableInDialogUnitsOfThePinnedFont)
{
    orvana::CCredentialsDlg dialog(nullptr);
    Run(dialog, [](QDialog& shown) {
        EXPECT_EQ(QStringLiteral("217"), shown.objectName());
        EXPECT_EQ(QStringLiteral("Zenfolio User Credentials"), shown.windowTitle());
        // DejaVu Sans 8 pt at 96 dpi: base units 7 × 13 pixels.
        const orvana::qt::DialogBaseUnits units = orvana::qt::BaseUnitsOf(shown.font());
        EXPECT_EQ(7, units.horizontal);
        EXPECT_EQ(13, units.vertical);
        EXPECT_EQ(QSize(478, 211), shown.size()); // 273 × 130 dialog units
        EXPECT_EQ(QRect(18, 29, 443, 23), Identifier(shown).geometry());
        EXPECT_EQ(QLineEdit::Normal, Identifier(shown).echoMode());
        EXPECT_EQ(QLineEdit::Password, Password(shown).echoMode());
        EXPECT_TRUE(Ok(shown).isDefault());
        EXPECT_FALSE(Control<QPushButton>(shown, IDCANCEL)->isDefault());
        EXPECT_EQ(QStringLiteral("Cancel"), Control<QPushButton>(shown, IDCANCEL)->text());
        QStringList statics;
        for (const QLabel* label : shown.findChildren<QLabel*>(QStringLiteral("-1")))
            statics << label->text();
        EXPECT_EQ(3, statics.size());
        EXPECT_TRUE(statics.contains(QStringLiteral("Account password")));
        // The first stop has the focus; Tab follows the table.
        QApplication::setActiveWindow(&shown);
        EXPECT_EQ(&Identifier(shown), shown.focusWidget());
        Identifier(shown).setText(QStringLiteral("demo")); // OK is a stop only while enabled
        Password(shown).setText(QStringLiteral("pw"));
        for (const int next : {orvana::kIdcAccountPassword, IDOK, IDCANCEL, orvana::kIdcAccountIdentifier}) {
            QTest::keyClick(shown.focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(Control<QWidget>(shown, next), shown.focusWidget()) << next;
        }
        QDir().mkpath(QStringLiteral(ORVANA_SCREENSHOT_DIR));
        EXPECT_TRUE(shown.grab().save(QStringLiteral(ORVANA_SCREENSHOT_DIR "/credentials-dialog.png")));
        shown.reject();
    });
}

TEST_F(CredentialsDialog, OkIsEnabledOnlyWhileBothTrimmedTextsAreNonEmpty)
{
    orvana::CCredentialsDlg dialog(nullptr);
    const INT_PTR result = Run(dialog, [](QDialog& shown) {
        EXPECT_TRUE(Identifier(shown).text().isEmpty());
        EXPECT_FALSE(Ok(shown).isEnabled());
        QTest::keyClicks(&Identifier(shown), QStringLiteral("   "));
        QTest::keyClicks(&Password(shown), QStringLiteral("secret"));
        EXPECT_FALSE(Ok(shown).isEnabled()) << "an identifier of blanks is empty";
        Identifier(shown).setText(QStringLiteral("  demo  "));
        EXPECT_TRUE(Ok(shown).isEnabled());
        Password(shown).setText(QStringLiteral("\t \t"));
        EXPECT_FALSE(Ok(shown).isEnabled()) << "a password of blanks is empty";
        Password(shown).setText(QStringLiteral("  two words \n")); // pasted with its line end
        ASSERT_TRUE(Ok(shown).isEnabled());
        QTest::mouseClick(&Ok(shown), Qt::LeftButton);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(std::u16string(u"demo"), dialog.Identifier());
    EXPECT_EQ(std::u16string(u"two words"), dialog.Password()) << "inner blanks stay";
}

TEST_F(CredentialsDialog, AStoredIdentifierIsShownAndOkWaitsForThePassword)
{
    const std::u16string stored(300, u'i'); // longer than the buffer: cut to 255
    orvana::CCredentialsDlg dialog(stored.c_str());
    const INT_PTR result = Run(dialog, [](QDialog& shown) {
        EXPECT_EQ(QString(255, QLatin1Char('i')), Identifier(shown).text());
        EXPECT_TRUE(Password(shown).text().isEmpty());
        EXPECT_FALSE(Ok(shown).isEnabled());
        QTest::keyClicks(&Password(shown), QStringLiteral("pw"));
        EXPECT_TRUE(Ok(shown).isEnabled());
        QTest::keyClick(&Password(shown), Qt::Key_Return); // the default button
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(std::u16string(255, u'i'), dialog.Identifier());
    EXPECT_EQ(0, beeps_);
}

TEST_F(CredentialsDialog, TextsOverTheLimitBeepMoveTheFocusAndKeepTheFirst255)
{
    orvana::CCredentialsDlg dialog(nullptr);
    const INT_PTR result = Run(dialog, [this](QDialog& shown) {
        Password(shown).setText(QStringLiteral("pw"));
        Identifier(shown).insert(QString(255, QLatin1Char('a')));
        EXPECT_EQ(0, beeps_) << "255 characters fit";
        Password(shown).setFocus();
        Identifier(shown).insert(QStringLiteral("b")); // 256: pasted or typed, too long
        EXPECT_EQ(1, beeps_);
        EXPECT_EQ(&Identifier(shown), shown.focusWidget());
        EXPECT_TRUE(Ok(shown).isEnabled()) << "the buffer keeps the first 255";
        // While the identifier is too long the password is not read again.
        Password(shown).setText(QStringLiteral("changed"));
        EXPECT_EQ(2, beeps_);
        Identifier(shown).setText(QStringLiteral("demo"));
        Password(shown).setText(QString(300, QLatin1Char('p')));
        EXPECT_EQ(&Password(shown), shown.focusWidget());
        EXPECT_EQ(3, beeps_);
        QTest::mouseClick(&Ok(shown), Qt::LeftButton);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(std::u16string(u"demo"), dialog.Identifier());
    EXPECT_EQ(std::u16string(255, u'p'), dialog.Password());
}

TEST_F(CredentialsDialog, CancelEscapeAndTheCloseBoxAnswerTwo)
{
    const std::function<void(QDialog&)> ways[] = {
        [](QDialog& shown) { QTest::mouseClick(Control<QPushButton>(shown, IDCANCEL), Qt::LeftButton); },
        [](QDialog& shown) { QTest::keyClick(&shown, Qt::Key_Escape); },
        [](QDialog& shown) { shown.close(); },
    };
    for (const auto& close : ways) {
        orvana::CCredentialsDlg dialog(u"stored");
        const INT_PTR result = Run(dialog, [&close](QDialog& shown) {
            QTest::keyClicks(&Password(shown), QStringLiteral("typed"));
            close(shown);
        });
        EXPECT_EQ(IDCANCEL, result);
    }
}

TEST_F(CredentialsDialog, OpensCentredOnThePointerInsideItsWorkArea)
{
    pal::qt::SetScreenLayout(std::make_shared<pal::qt::FixedScreenLayout>(
        std::vector<pal::qt::Monitor>{{QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 728)},
                                      {QRect(1024, 0, 800, 600), QRect(1024, 0, 800, 600)}},
        QPoint(1100, 590)));
    orvana::CCredentialsDlg dialog(nullptr);
    Run(dialog, [](QDialog& shown) {
        const QRect frame = shown.frameGeometry();
        // Centred on x = 1100 would cross into the first monitor; the second's work area holds it.
        EXPECT_EQ(1024, frame.left());
        EXPECT_EQ(600, frame.bottom() + 1);
        shown.reject();
    });
}

} // namespace
