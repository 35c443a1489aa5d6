// The dialog automation against a small dialog built here, on the offscreen
// platform: its steps go through the controls as typing and clicking would,
// and every way a script can go wrong ends the dialog with a clear reason.
#include "host/dialog_automation.h"
#include "host/text_file.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

using host::DialogAutomation;
using host::DialogStep;
using host::ParseDialogStep;
using namespace std::chrono_literals;

// Fields 10 and 11, a label 12, OK 1 enabled only when both are filled, Cancel
// 2. OK with the name "refused" shows an error box before closing.
class SignInDialog : public QDialog {
  public:
    SignInDialog()
    {
        setObjectName(QStringLiteral("300"));
        setWindowTitle(QStringLiteral("Sign in"));
        name_->setObjectName(QStringLiteral("10"));
        name_->setText(QStringLiteral("previous"));
        secret_->setObjectName(QStringLiteral("11"));
        secret_->setEchoMode(QLineEdit::Password);
        label_->setObjectName(QStringLiteral("12"));
        ok_->setObjectName(QStringLiteral("1"));
        cancel_->setObjectName(QStringLiteral("2"));
        for (QLineEdit* edit : {name_, secret_}) {
            connect(edit, &QLineEdit::textChanged, this, [this] { Validate(); });
            connect(edit, &QLineEdit::textEdited, this, [this] { ++edits_; });
        }
        connect(ok_, &QPushButton::clicked, this, [this] {
            if (name_->text() == QStringLiteral("refused"))
                QMessageBox::critical(this, QStringLiteral("Sign-in Error"), QStringLiteral("Not this time."));
            accept();
        });
        connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
        Validate();
    }

    QString Name() const { return name_->text(); }
    QString Secret() const { return secret_->text(); }
    int Edits() const { return edits_; }

  private:
    void Validate() { ok_->setEnabled(!name_->text().isEmpty() && !secret_->text().isEmpty()); }

    QLineEdit* name_ = new QLineEdit(this);
    QLineEdit* secret_ = new QLineEdit(this);
    QLabel* label_ = new QLabel(QStringLiteral("Who are you?"), this);
    QPushButton* ok_ = new QPushButton(QStringLiteral("OK"), this);
    QPushButton* cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    int edits_ = 0;
};

std::vector<DialogStep> Steps(std::initializer_list<std::pair<const char*, const char*>> steps)
{
    std::vector<DialogStep> parsed;
    for (const auto& [verb, operand] : steps)
        parsed.push_back(ParseDialogStep(verb, operand));
    return parsed;
}

class DialogAutomationTest : public testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    static void TearDownTestSuite() { application_.reset(); }

    static inline int argc_ = 1;
    static inline char name_[] = "dialog_automation_test";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QApplication> application_;
};

TEST_F(DialogAutomationTest, StepsTypeOverTheFieldsAndPressTheEnabledButton)
{
    SignInDialog dialog;
    DialogAutomation automation(Steps({{"fill", "10=alice"}, {"fill", "11=s3cret=x"}, {"press", "1"}}), 5s);
    EXPECT_EQ(QDialog::Accepted, dialog.exec());
    EXPECT_TRUE(automation.Failure().empty()) << automation.Failure();
    EXPECT_TRUE(automation.DialogShown());
    EXPECT_EQ(QDialog::Accepted, automation.DialogResult());
    EXPECT_EQ(QStringLiteral("alice"), dialog.Name()) << "the text there before is replaced";
    EXPECT_EQ(QStringLiteral("s3cret=x"), dialog.Secret()) << "only the first '=' separates";
    EXPECT_EQ(2, dialog.Edits()) << "filled as typing, which a program's setText is not";
    EXPECT_TRUE(automation.MessageBoxes().empty());
}

TEST_F(DialogAutomationTest, ABadStepCancelsTheDialogAndSaysWhichControl)
{
    const struct {
        std::vector<DialogStep> steps;
        std::string failure;
    } cases[] = {
        {Steps({{"fill", "10=alice"}, {"press", "1"}}),
         "control 1 is disabled: the dialog does not accept \"OK\" in its current state"},
        {Steps({{"press", "99"}}), "control 99 is missing: the dialog 300 (\"Sign in\") has none"},
        {Steps({{"fill", "12=x"}}), "control 12 is not a text field: it is a QLabel"},
        {Steps({{"press", "10"}}), "control 10 is not a button: it is a QLineEdit"},
        {Steps({{"press", "2"}, {"fill", "10=late"}}), "the dialog closed before step 2 (fill 10)"},
    };
    for (const auto& [steps, failure] : cases) {
        SignInDialog dialog;
        DialogAutomation automation(steps, 5s);
        EXPECT_EQ(QDialog::Rejected, dialog.exec()) << failure;
        EXPECT_EQ(failure, automation.Failure());
        EXPECT_TRUE(automation.Done());
    }
}

TEST_F(DialogAutomationTest, AMessageBoxAfterThePressIsReportedAndClosed)
{
    SignInDialog dialog;
    DialogAutomation automation(Steps({{"fill", "10=refused"}, {"fill", "11=x"}, {"press", "1"}}), 5s);
    testing::internal::CaptureStderr();
    const int result = dialog.exec();
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(QDialog::Accepted, result);
    ASSERT_EQ(1u, automation.MessageBoxes().size());
    EXPECT_EQ("Sign-in Error", automation.MessageBoxes()[0].caption);
    EXPECT_EQ("Not this time.", automation.MessageBoxes()[0].text);
    EXPECT_NE(std::string::npos, printed.find("message box \"Sign-in Error\": Not this time.")) << printed;
    EXPECT_TRUE(automation.Failure().empty()) << automation.Failure();
}

TEST_F(DialogAutomationTest, NoDialogOrOneLeftOpenTimesOut)
{
    {
        DialogAutomation automation(Steps({{"press", "1"}}), 100ms);
        QEventLoop loop;
        QTimer::singleShot(3s, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (automation.Done()) loop.quit();
        });
        poll.start(10ms);
        loop.exec();
        EXPECT_EQ("no dialog was shown within 100 ms", automation.Failure());
    }
    {
        SignInDialog dialog;
        DialogAutomation automation(Steps({{"fill", "10=alice"}}), 100ms);
        EXPECT_EQ(QDialog::Rejected, dialog.exec());
        EXPECT_EQ("the dialog is still open 100 ms after the last step", automation.Failure());
    }
}

TEST_F(DialogAutomationTest, WithoutStepsItOnlyWatches)
{
    SignInDialog dialog;
    DialogAutomation automation({}, 50ms);
    // The user's part, played here after longer than the timeout.
    QTimer::singleShot(200ms, &dialog, [&dialog] { dialog.findChild<QPushButton*>(QStringLiteral("2"))->click(); });
    EXPECT_EQ(QDialog::Rejected, dialog.exec());
    EXPECT_TRUE(automation.Failure().empty()) << automation.Failure();
    EXPECT_EQ(QDialog::Rejected, automation.DialogResult());
}

TEST(DialogStepParsing, FileTextIsTheFirstLineAndMistakesAreNamed)
{
    const std::filesystem::path file =
        std::filesystem::path(testing::TempDir()) / ("steps-" + std::to_string(::getpid()) + ".txt");
    host::ReplaceFileAtomically(file, "pa ss\r\nsecond line\n");
    const DialogStep step = ParseDialogStep("fill-file", "206=" + file.string());
    EXPECT_EQ(DialogStep::Action::Fill, step.action);
    EXPECT_EQ(206, step.control);
    EXPECT_EQ(QStringLiteral("pa ss"), step.text);
    EXPECT_EQ(QStringLiteral("Gr\u00fc\u00dfe"), ParseDialogStep("fill", "5=Gr\u00fc\u00dfe").text);
    EXPECT_TRUE(ParseDialogStep("fill", "5=").text.isEmpty()) << "an empty text clears the field";
    std::filesystem::remove(file);

    const auto message = [](const char* verb, const std::string& operand) {
        try {
            ParseDialogStep(verb, operand);
        } catch (const std::invalid_argument& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ("fill needs ID=TEXT", message("fill", "205"));
    EXPECT_EQ("press: 'x1' is no control id", message("press", "x1"));
    EXPECT_EQ("press: '0' is no control id", message("press", "0"));
    EXPECT_EQ("fill: '1 ' is no control id", message("fill", "1 =a"));
    EXPECT_EQ("unknown dialog step 'type'", message("type", "1=a"));
    EXPECT_EQ("fill-file: cannot read " + file.string(), message("fill-file", "206=" + file.string()));
}

} // namespace
