// What a window handle of this layer names: an object of the host that
// handles the window calls. The host registers it and gets the HWND it hands
// to a plug-in. Its handlers run on the window's own thread, reached through
// Deliver, so a backend that must touch its window from one thread (a
// toolkit's GUI thread, a terminal's drawing thread) never sees another.
#pragma once

#include "../base/types.h"

#include <functional>
#include <memory>
#include <string_view>

namespace pal {

class WindowObject {
  public:
    virtual ~WindowObject() = default;

    // Runs task on the window's thread and returns once it has run; runs it
    // at once when called on that thread.
    virtual void Deliver(const std::function<void()>& task) = 0;

    // On the window's thread. WM_SETTEXT carries the text as an LPCWSTR.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // On the window's thread. Answers the button pressed.
    virtual int OnMessageBox(std::u16string_view text, std::u16string_view caption, UINT type) = 0;
};

// The handle that names the object until UnregisterWindow. Null when the
// handle table is full.
HWND RegisterWindow(std::shared_ptr<WindowObject> window);
// Calls already delivered finish; later calls on the handle fail.
void UnregisterWindow(HWND window);
// The object a handle names, or null.
std::shared_ptr<WindowObject> FindWindowObject(HWND window);

// Shows the message boxes that have no owner window. The default writes the
// caption and text to standard error and answers IDOK.
using MessageBoxPresenter = std::function<int(std::u16string_view text, std::u16string_view caption, UINT type)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Plays MessageBeep's sounds. The default rings the terminal bell on
// standard error when that is a terminal; a toolkit host installs its own,
// and tests install one that counts.
using Beeper = std::function<void(UINT type)>;
void SetBeeper(Beeper beeper);

// A registration that ends with its scope.
class WindowRegistration {
  public:
    explicit WindowRegistration(std::shared_ptr<WindowObject> window) : handle_(RegisterWindow(std::move(window))) {}
    ~WindowRegistration() { UnregisterWindow(handle_); }
    WindowRegistration(const WindowRegistration&) = delete;
    WindowRegistration& operator=(const WindowRegistration&) = delete;
    HWND Handle() const { return handle_; }

  private:
    HWND handle_;
};

} // namespace pal
