// Builds a dialog resource's controls into a QDialog: each control's
// objectName is its id, its geometry the resource rectangle in the dialog
// font's units; tab order follows the table, the default button and
// password masking follow the styles.
#pragma once

#include "ui/dialog_resource.h"

class QDialog;
class QWidget;

namespace orvana::qt {

void BuildDialog(const DialogResource& resource, QDialog& dialog);

// The control with the id, or null.
QWidget* FindControl(const QDialog& dialog, int id);

} // namespace orvana::qt
