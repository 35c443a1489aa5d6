// Data exchange between a dialog's controls and fixed buffers of the
// dialog class. A control holding more than a buffer takes counts as a
// failed read: the buffer keeps what fits, the default beep sounds and the
// focus moves to the control, so the user sees where.
#pragma once

#include "ui/modal_dialog.h"

#include <span>
#include <windows.h>

namespace orvana {

// Reads control id into buffer (terminated); false when it was cut.
bool ReadControlText(DialogControls& controls, int id, std::span<WCHAR> buffer);

// Removes trailing, then leading white space from the terminated text in
// place. White space is what the platform's wide classification calls so.
void TrimWhiteSpace(std::span<WCHAR> buffer);

} // namespace orvana
