#include "dialog_builder.h"

#include "dialog_units.h"
#include "pal/window/qt/wide_text.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvana::qt {

namespace {

QWidget* CreateControl(const ControlResource& control, QDialog& dialog)
{
    switch (control.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(pal::qt::FromWide(control.text), &dialog);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true); // a static wraps at its width
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(pal::qt::FromWide(control.text), &dialog);
        if (control.style & ES_PASSWORD) edit->setEchoMode(QLineEdit::Password);
        edit->setFrame((control.style & WS_BORDER) != 0);
        return edit;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(pal::qt::FromWide(control.text), &dialog);
        button->setDefault((control.style & BS_DEFPUSHBUTTON) != 0);
        return button;
    }
    }
    return nullptr;
}

} // namespace

void BuildDialog(const DialogResource& resource, QDialog& dialog)
{
    dialog.setObjectName(QString::number(resource.id));
    dialog.setWindowTitle(pal::qt::FromWide(resource.title));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
    if (resource.style & WS_CAPTION) flags |= Qt::WindowTitleHint;
    if (resource.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    dialog.setWindowFlags(flags);
    dialog.setFont(DialogFont(resource));
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    dialog.setFixedSize(ToPixels(resource.width, resource.height, units));

    QWidget* previousStop = nullptr;
    for (const ControlResource& control : resource.controls) {
        QWidget* widget = CreateControl(control, dialog);
        widget->setObjectName(QString::number(control.id));
        widget->setGeometry(ToPixels(control.rect, units));
        widget->setEnabled((control.style & WS_DISABLED) == 0);
        if (control.style & WS_TABSTOP) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousStop) QWidget::setTabOrder(previousStop, widget);
            previousStop = widget;
        } else {
            widget->setFocusPolicy(control.kind == ControlKind::Static ? Qt::NoFocus : Qt::ClickFocus);
        }
    }
}

QWidget* FindControl(const QDialog& dialog, int id)
{
    return dialog.findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

} // namespace orvana::qt
