// A host's Qt widget as a window handle of this layer. The window calls a
// plug-in makes on the handle run on the GUI thread, the caller waiting:
// a QProgressBar answers the progress bar messages, WM_SETTEXT sets a
// label's, button's or line edit's text (any other widget's title), and a
// message box owned by the handle is modal to the widget's window.
#pragma once

#include "pal/window/window_object.h"

class QWidget;

namespace pal::qt {

// The handle naming widget until the widget is destroyed (or Unregister);
// the same handle for a widget registered twice. GUI thread only.
HWND RegisterWidget(QWidget* widget);
// The widget a handle names, or null when it names none (a console window,
// a closed widget). GUI thread only.
QWidget* WidgetOf(HWND window);

} // namespace pal::qt
