#include "ui/error_box.h"

#include "contract/component_strings.h"

namespace orvana {

void ShowErrorBox(HWND owner, UINT textId, UINT captionId)
{
    const pal::WideString text = ComponentString(textId);
    const pal::WideString caption = ComponentString(captionId);
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

} // namespace orvana
