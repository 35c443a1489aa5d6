// What the console window shows: the progress bar and the status text as one
// line redrawn in place on a terminal, or one plain line per status text when
// the output is a file or a pipe. Single-threaded: the console window calls
// it only on its window thread, which keeps its output in order.
#pragma once

#include "pal/window/progress_bar_state.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace host {

struct ConsoleOutput {
    std::function<void(std::string_view)> write;
    bool isTerminal = false;
    // Columns; 0 asks the terminal on standard error, 80 when it cannot say.
    int width = 0;
    // Position moves closer together than this are drawn with the next change.
    std::chrono::milliseconds redrawInterval{50};

    static ConsoleOutput StandardError();
};

class ConsoleDisplay {
  public:
    explicit ConsoleDisplay(ConsoleOutput output) : output_(std::move(output)) {}

    // The answer when message is a progress bar message; nothing otherwise.
    std::optional<LRESULT> ProgressMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetStatus(std::u16string_view text);
    const std::u16string& Status() const { return status_; }

    void ShowMessageBox(std::string_view caption, std::string_view text);
    void PrintAbove(std::string_view line);
    // Draws the last state and ends the line; later changes are kept, not drawn.
    void Finish();

  private:
    void Draw(bool immediately);
    void Print(const std::string& lines);
    std::string TerminalLine() const;
    std::string PlainLine(std::string_view text) const;
    int Width() const;

    const ConsoleOutput output_;
    pal::ProgressBarState bar_;
    bool rangeSet_ = false; // the default range says nothing about pictures
    std::u16string status_;
    // Terminal: whether the bar line is on screen, and what it shows.
    bool shown_ = false;
    bool finished_ = false;
    std::string drawn_;
    std::chrono::steady_clock::time_point lastDraw_{};
    // Otherwise: the last status text printed.
    std::u16string printed_;
};

} // namespace host
