#include "host/dialog_automation.h"

#include "contract/secure_wipe.h"
#include "host/text_file.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace host {

namespace {

int ParseControlId(std::string_view text, std::string_view verb)
{
    int id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || id <= 0)
        throw std::invalid_argument(std::string(verb) + ": '" + std::string(text) + "' is no control id");
    return id;
}

std::string DurationText(std::chrono::milliseconds duration)
{
    if (duration.count() % 1000 == 0) return std::to_string(duration.count() / 1000) + " s";
    return std::to_string(duration.count()) + " ms";
}

std::string Quoted(const QString& text)
{
    return '"' + text.toStdString() + '"';
}

std::string Describe(const QDialog& dialog)
{
    return "the dialog " + dialog.objectName().toStdString() + " (" + Quoted(dialog.windowTitle()) + ")";
}

// Never the text: it may be a password.
std::string Describe(const DialogStep& step, std::size_t index)
{
    const char* verb = step.action == DialogStep::Action::Fill ? "fill" : "press";
    return "step " + std::to_string(index + 1) + " (" + verb + ' ' + std::to_string(step.control) + ')';
}

} // namespace

DialogStep ParseDialogStep(std::string_view verb, std::string_view operand)
{
    DialogStep step;
    if (verb == "press") {
        step.control = ParseControlId(operand, verb);
        return step;
    }
    if (verb != "fill" && verb != "fill-file")
        throw std::invalid_argument("unknown dialog step '" + std::string(verb) + "'");
    const std::size_t equals = operand.find('=');
    if (equals == std::string_view::npos)
        throw std::invalid_argument(std::string(verb) + " needs ID=" + (verb == "fill" ? "TEXT" : "FILE"));
    step.action = DialogStep::Action::Fill;
    step.control = ParseControlId(operand.substr(0, equals), verb);
    const std::string_view value = operand.substr(equals + 1);
    if (verb == "fill") {
        step.text = QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
        return step;
    }
    std::optional<std::string> content = ReadWholeFile(std::string(value));
    if (!content) throw std::invalid_argument("fill-file: cannot read " + std::string(value));
    const std::size_t lineEnd = std::min(content->find_first_of("\r\n"), content->size());
    step.text = QString::fromUtf8(content->data(), static_cast<qsizetype>(lineEnd));
    orvana::SecureWipe(content->data(), content->size());
    return step;
}

DialogAutomation::DialogAutomation(std::vector<DialogStep> steps, std::chrono::milliseconds timeout)
    : steps_(std::move(steps)), timeout_(timeout)
{
    QApplication::instance()->installEventFilter(this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimeout(); });
    // Only a script waits for the dialog; a user takes the time needed.
    if (!steps_.empty()) timer_.start(timeout_);
}

DialogAutomation::~DialogAutomation()
{
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
    // Best effort: the texts may hold a password.
    for (DialogStep& step : steps_)
        step.text.fill(QChar(u'\0'));
}

bool DialogAutomation::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
        if (auto* box = qobject_cast<QMessageBox*>(watched))
            OnMessageBoxShown(box);
        else if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isModal())
            OnDialogShown(dialog);
    }
    return QObject::eventFilter(watched, event);
}

void DialogAutomation::OnDialogShown(QDialog* dialog)
{
    if (dialog == dialog_.data()) return; // shown again after a hide
    if (dialogShown_) {
        if (steps_.empty()) return;
        // Nobody would answer it: the steps were for the first dialog.
        Fail("another dialog was shown after the first: " + Describe(*dialog));
        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        return;
    }
    dialog_ = dialog;
    dialogShown_ = true;
    connect(dialog, &QDialog::finished, this, [this](int result) {
        dialogResult_ = result;
        timer_.stop();
        if (next_ < steps_.size()) Fail("the dialog closed before " + Describe(steps_[next_], next_));
    });
    if (steps_.empty()) return;
    timer_.stop();
    // Once the dialog's own loop runs, as a user's first keystroke would.
    QTimer::singleShot(0, this, [this] { RunNextStep(); });
}

void DialogAutomation::OnMessageBoxShown(QMessageBox* box)
{
    ReportedMessageBox report{box->windowTitle().toStdString(), box->text().toStdString()};
    std::fprintf(stderr, "message box \"%s\": %s\n", report.caption.c_str(), report.text.c_str());
    boxes_.push_back(std::move(report));
    if (steps_.empty()) return;
    QPointer<QMessageBox> shown(box);
    QTimer::singleShot(0, this, [shown] {
        if (!shown || !shown->isVisible()) return;
        if (QAbstractButton* escape = shown->escapeButton())
            escape->click();
        else
            shown->reject();
    });
}

void DialogAutomation::RunNextStep()
{
    if (!failure_.empty() || dialogResult_ || next_ >= steps_.size()) return;
    if (!dialog_ || !dialog_->isVisible()) {
        Fail("the dialog closed before " + Describe(steps_[next_], next_));
        return;
    }
    // Counted as started before it runs: a press may close the dialog at once.
    const DialogStep& step = steps_[next_++];
    const std::string failure = step.action == DialogStep::Action::Fill ? Fill(step) : Press(step);
    if (!failure.empty()) {
        Fail(failure);
        return;
    }
    if (dialogResult_) return;
    if (next_ < steps_.size())
        QTimer::singleShot(0, this, [this] { RunNextStep(); });
    else
        timer_.start(timeout_);
}

std::string DialogAutomation::Fill(const DialogStep& step)
{
    const std::string name = "control " + std::to_string(step.control);
    QWidget* widget = dialog_->findChild<QWidget*>(QString::number(step.control));
    if (!widget) return name + " is missing: " + Describe(*dialog_) + " has none";
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (!edit) return name + " is not a text field: it is a " + widget->metaObject()->className();
    if (!edit->isEnabled()) return name + " is disabled: the dialog does not take text there now";
    if (edit->isReadOnly()) return name + " is read-only";
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    edit->insert(step.text);
    return {};
}

std::string DialogAutomation::Press(const DialogStep& step)
{
    const std::string name = "control " + std::to_string(step.control);
    QWidget* widget = dialog_->findChild<QWidget*>(QString::number(step.control));
    if (!widget) return name + " is missing: " + Describe(*dialog_) + " has none";
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (!button) return name + " is not a button: it is a " + widget->metaObject()->className();
    if (!button->isEnabled())
        return name + " is disabled: the dialog does not accept " + Quoted(button->text()) + " in its current state";
    if (!button->isVisible()) return name + " is hidden";
    button->click();
    return {};
}

void DialogAutomation::OnTimeout()
{
    if (!dialogShown_) {
        Fail("no dialog was shown within " + DurationText(timeout_));
        return;
    }
    if (dialog_ && !dialogResult_) Fail("the dialog is still open " + DurationText(timeout_) + " after the last step");
}

void DialogAutomation::Fail(std::string why)
{
    if (failure_.empty()) failure_ = std::move(why);
    timer_.stop();
    // Cancelled, as Escape would, so whoever runs the dialog returns.
    if (!steps_.empty() && dialog_ && !dialogResult_) dialog_->reject();
}

} // namespace host
