// Modal dialogs over Qt. Widgets belong to the GUI thread, so the dialog is
// built and run there; a caller on another thread waits, as it would for a
// dialog shown through a cross-thread SendMessage.
#include "ui/modal_dialog.h"

#include "dialog_builder.h"
#include "pal/window/qt/gui_thread.h"
#include "pal/window/qt/widget_window.h"
#include "pal/window/qt/window_placement.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

namespace orvana {

namespace {

pal::WideString ToWide(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

class QtModalDialog final : public QDialog, public DialogControls {
  public:
    QtModalDialog(QWidget* owner, const DialogResource& resource, DialogProcedure& procedure)
        : QDialog(owner), procedure_(procedure)
    {
        qt::BuildDialog(resource, *this);
        setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
        for (const ControlResource& control : resource.controls) {
            QWidget* widget = qt::FindControl(*this, control.id);
            const int id = control.id;
            if (auto* edit = qobject_cast<QLineEdit*>(widget))
                connect(edit, &QLineEdit::textChanged, this, [this, id] { procedure_.OnTextChanged(*this, id); });
            else if (auto* button = qobject_cast<QAbstractButton*>(widget))
                connect(button, &QAbstractButton::clicked, this, [this, id] { procedure_.OnCommand(*this, id); });
        }
        procedure_.OnInitDialog(*this);
    }

    pal::WideString Text(int id) const override
    {
        const QWidget* widget = qt::FindControl(*this, id);
        if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return ToWide(edit->text());
        if (auto* label = qobject_cast<const QLabel*>(widget)) return ToWide(label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return ToWide(button->text());
        return {};
    }

    void SetText(int id, pal::WideView text) override
    {
        const QString value = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
        QWidget* widget = qt::FindControl(*this, id);
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            edit->setText(value);
        else if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(value);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(value);
    }

    void Enable(int id, bool enabled) override
    {
        if (QWidget* widget = qt::FindControl(*this, id)) widget->setEnabled(enabled);
    }

    void Focus(int id) override
    {
        if (QWidget* widget = qt::FindControl(*this, id)) widget->setFocus(Qt::OtherFocusReason);
    }

    void End(INT_PTR result) override { done(static_cast<int>(result)); }

    // Escape and the close box come here: the dialog's Cancel command.
    void reject() override { procedure_.OnCommand(*this, IDCANCEL); }

  protected:
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        if (placed_) return;
        placed_ = true;
        pal::qt::PlaceOnPointer(this);
    }

  private:
    DialogProcedure& procedure_;
    bool placed_ = false;
};

} // namespace

INT_PTR RunModalDialog(HWND owner, const DialogResource& resource, DialogProcedure& procedure)
{
    if (!pal::qt::HasGuiThread()) return -1;
    INT_PTR result = -1;
    pal::qt::RunOnGuiThread([&] {
        QWidget* ownerWidget = pal::qt::WidgetOf(owner);
        QtModalDialog dialog(ownerWidget ? ownerWidget->window() : nullptr, resource, procedure);
        result = dialog.exec();
    });
    return result;
}

} // namespace orvana
