// A message box over Qt: modal to its owner's window, centred over it when
// it is shown (else over the nearest work area) and kept inside the work
// area. One process-wide lock is held while a box is created and placed, so
// boxes are placed one at a time. GUI thread only.
#pragma once

#include "pal/window/window.h"

#include <string_view>

class QWidget;

namespace pal::qt {

// Answers the button pressed (IDOK for a box with OK only, however closed).
int ShowMessageBox(QWidget* owner, std::u16string_view text, std::u16string_view caption, UINT type);

} // namespace pal::qt
