// What a dialog class implements (its dialog procedure, in the terms it
// needs) and the call that runs it modally from its resource. The backend
// builds the controls, gives each its id, and calls the procedure on the
// thread that owns the windows; the caller of RunModalDialog waits on its
// own thread meanwhile.
#pragma once

#include "ui/dialog_resource.h"

#include <pal/wide_string.h>
#include <windows.h>

namespace orvana {

// The running dialog's controls by id.
class DialogControls {
  public:
    virtual pal::WideString Text(int id) const = 0;
    virtual void SetText(int id, pal::WideView text) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual void Focus(int id) = 0;
    // Closes the dialog; RunModalDialog answers result.
    virtual void End(INT_PTR result) = 0;

  protected:
    ~DialogControls() = default;
};

class DialogProcedure {
  public:
    // Before the dialog is shown; its controls exist.
    virtual void OnInitDialog(DialogControls& controls) = 0;
    // The user changed the text of an edit control.
    virtual void OnTextChanged(DialogControls& controls, int id) = 0;
    // A button was pressed; IDCANCEL also for Escape and the close box.
    virtual void OnCommand(DialogControls& controls, int id) = 0;

  protected:
    ~DialogProcedure() = default;
};

// Shows the dialog modal to owner (placed on the mouse pointer) and answers
// what the procedure ended it with, or -1 when no dialog can be shown (the
// host has no windowing). From any thread.
INT_PTR RunModalDialog(HWND owner, const DialogResource& resource, DialogProcedure& procedure);

} // namespace orvana
