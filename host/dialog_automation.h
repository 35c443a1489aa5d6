// Drives the next modal dialog a plug-in shows, as a user at the keyboard
// would: text typed into its fields, its buttons pressed, the message boxes
// that follow read out and closed. It goes through the real dialog, so a
// button the dialog keeps disabled cannot be pressed. GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QMessageBox;

namespace host {

struct DialogStep {
    enum class Action { Fill, Press };
    Action action = Action::Press;
    int control = 0; // the control's id, its objectName in the Qt dialog
    QString text;    // what Fill types
};

// One step from its verb and operand: "fill" "ID=TEXT", "fill-file"
// "ID=PATH" (the text is the file's first line), "press" "ID". Throws
// std::invalid_argument saying what is wrong.
DialogStep ParseDialogStep(std::string_view verb, std::string_view operand);

struct ReportedMessageBox {
    std::string caption;
    std::string text;
};

// Watches the application from construction on. With steps it drives the
// first modal dialog shown, closes the message boxes shown after it, and
// fails on a timeout; without steps it only watches, leaving the user to
// answer. A failed step cancels the dialog so its caller goes on.
class DialogAutomation : public QObject {
  public:
    DialogAutomation(std::vector<DialogStep> steps, std::chrono::milliseconds timeout);
    ~DialogAutomation() override;
    DialogAutomation(const DialogAutomation&) = delete;
    DialogAutomation& operator=(const DialogAutomation&) = delete;

    bool DialogShown() const { return dialogShown_; }
    // The dialog's exec() result once it has closed.
    std::optional<int> DialogResult() const { return dialogResult_; }
    // The first step that could not be done, or the timeout; empty while none.
    const std::string& Failure() const { return failure_; }
    // Every message box shown while watching, in order; each is also printed
    // on standard error when shown.
    const std::vector<ReportedMessageBox>& MessageBoxes() const { return boxes_; }
    // True once the dialog has closed or a failure ended the automation.
    bool Done() const { return dialogResult_.has_value() || !failure_.empty(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnDialogShown(QDialog* dialog);
    void OnMessageBoxShown(QMessageBox* box);
    void RunNextStep();
    // Empty when done, else why not.
    std::string Fill(const DialogStep& step);
    std::string Press(const DialogStep& step);
    void OnTimeout();
    void Fail(std::string why);

    std::vector<DialogStep> steps_;
    std::size_t next_ = 0;
    std::chrono::milliseconds timeout_;
    QTimer timer_;
    QPointer<QDialog> dialog_;
    bool dialogShown_ = false;
    std::optional<int> dialogResult_;
    std::string failure_;
    std::vector<ReportedMessageBox> boxes_;
};

} // namespace host
