// Where dialogs and message boxes go: a dialog's frame centred on the mouse
// pointer, a message box centred over its owner, each then moved (never
// resized) to lie inside the work area of the nearest monitor. The frame is
// what Qt knows of the window's outer frame (the window rectangle until a
// window manager has told it more).
#pragma once

#include "pal/window/qt/screen_layout.h"

#include <QRect>
#include <optional>

class QWidget;

namespace pal::qt {

// The monitor that shares most area with rect, or the closest to it; a
// monitor of the whole rect's size when there is none.
Monitor NearestMonitor(const std::vector<Monitor>& monitors, const QRect& rect);
Monitor NearestMonitor(const std::vector<Monitor>& monitors, QPoint point);

// rect moved, not resized, to lie inside area; a rect larger than the area
// keeps its top or left edge on the area's.
QRect KeepInside(QRect rect, const QRect& area);

// The frame centred on the pointer, inside the work area under the pointer.
QRect PointerPlacement(QRect frame, const ScreenLayout& layout);
// The frame centred over the owner's frame (when the owner is shown and not
// minimised), else over the work area nearest the frame; then inside the
// work area nearest to where it went.
QRect OwnerCentredPlacement(QRect frame, const std::optional<QRect>& shownOwnerFrame, const ScreenLayout& layout);

// The same, applied to shown or about-to-be-shown top-level widgets.
void PlaceOnPointer(QWidget* window);
void CentreOverOwner(QWidget* window, const QWidget* owner);

} // namespace pal::qt
