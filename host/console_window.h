// The reference host's console window: the progress bar and the status text
// window a plug-in is handed, drawn together on the terminal (standard error
// unless told otherwise) by a window thread of their own. Calls on either
// handle from any thread are handled on that thread and waited for.
#pragma once

#include "host/console_display.h"
#include "pal/window/window_object.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct ShownMessageBox {
    std::string caption;
    std::string text;
    UINT type = 0;
};

class ConsoleWindowCore;

class ConsoleWindow {
  public:
    explicit ConsoleWindow(ConsoleOutput output = ConsoleOutput::StandardError());
    ~ConsoleWindow();
    ConsoleWindow(const ConsoleWindow&) = delete;
    ConsoleWindow& operator=(const ConsoleWindow&) = delete;

    HWND ProgressHandle() const { return progressHandle_; }
    HWND StatusHandle() const { return statusHandle_; }

    // A log line above the bar; from any thread.
    void PrintAbove(std::string line);
    // Every message box either window showed, in order; from any thread.
    std::vector<ShownMessageBox> MessageBoxes() const;
    // Closes both windows (later calls on their handles fail), draws the last
    // state and ends the line. The owner's call; the destructor makes it too.
    void Finish();

  private:
    std::shared_ptr<ConsoleWindowCore> core_;
    std::optional<pal::WindowRegistration> progress_;
    std::optional<pal::WindowRegistration> status_;
    HWND progressHandle_ = nullptr;
    HWND statusHandle_ = nullptr;
};

} // namespace host
