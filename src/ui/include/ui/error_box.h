// The error message box: OK only, the error icon, owned by a window. Texts
// are the component's strings by number.
#pragma once

#include <windows.h>

namespace orvana {

void ShowErrorBox(HWND owner, UINT textId, UINT captionId);

} // namespace orvana
