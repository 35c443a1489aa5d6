// Dialog units over Qt: a resource's "MS Shell Dlg" is the platform's UI
// font at the resource's size, and its base units are that font's average
// alphabet width and height, as the dialog manager measures them.
#pragma once

#include "ui/dialog_resource.h"

#include <QFont>
#include <QRect>

namespace orvana::qt {

struct DialogBaseUnits {
    int horizontal; // a quarter of it is one dialog unit across
    int vertical;   // an eighth of it is one dialog unit down
};

QFont DialogFont(const DialogResource& resource);
DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect ToPixels(const DialogRect& rect, const DialogBaseUnits& units);
QSize ToPixels(int width, int height, const DialogBaseUnits& units);

} // namespace orvana::qt
