#include "host/console_window.h"

#include "pal/utf.h"
#include "pal/window/window_thread.h"

#include <algorithm>
#include <stdexcept>

namespace host {

// Shared with the window objects: a caller that found a window just before
// it closed still reaches a live thread and display.
class ConsoleWindowCore {
  public:
    explicit ConsoleWindowCore(ConsoleOutput output) : display_(std::move(output)) {}

    void Invoke(const std::function<void()>& task) { thread_.Invoke(task); }
    // The display only on the window thread.
    ConsoleDisplay& Display() { return display_; }

    int ShowMessageBox(std::u16string_view text, std::u16string_view caption, UINT type)
    {
        ShownMessageBox box{pal::ToUtf8(caption), pal::ToUtf8(text), type};
        {
            std::lock_guard lock(mutex_);
            boxes_.push_back(box);
        }
        display_.ShowMessageBox(box.caption, box.text);
        return IDOK;
    }

    std::vector<ShownMessageBox> MessageBoxes() const
    {
        std::lock_guard lock(mutex_);
        return boxes_;
    }

  private:
    ConsoleDisplay display_;
    mutable std::mutex mutex_;
    std::vector<ShownMessageBox> boxes_;
    // Last, so it stops before the display it draws goes.
    pal::WindowThread thread_;
};

namespace {

// WM_GETTEXT and WM_GETTEXTLENGTH as a window with this text answers them.
std::optional<LRESULT> AnswerText(std::u16string_view text, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
    if (message != WM_GETTEXT) return std::nullopt;
    auto* buffer = reinterpret_cast<WCHAR*>(lParam);
    if (!buffer || wParam == 0) return 0;
    const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
    std::copy_n(text.data(), copied, buffer);
    buffer[copied] = 0;
    return static_cast<LRESULT>(copied);
}

std::u16string_view SentText(LPARAM lParam)
{
    const auto* text = reinterpret_cast<const WCHAR*>(lParam);
    return text ? std::u16string_view(text) : std::u16string_view();
}

class ConsoleWindowObject : public pal::WindowObject {
  public:
    explicit ConsoleWindowObject(std::shared_ptr<ConsoleWindowCore> core) : core_(std::move(core)) {}

    void Deliver(const std::function<void()>& task) override { core_->Invoke(task); }
    int OnMessageBox(std::u16string_view text, std::u16string_view caption, UINT type) override
    {
        return core_->ShowMessageBox(text, caption, type);
    }

  protected:
    const std::shared_ptr<ConsoleWindowCore> core_;
};

// Its own title is kept, as any window's, but not shown.
class ProgressWindow final : public ConsoleWindowObject {
  public:
    using ConsoleWindowObject::ConsoleWindowObject;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (auto answer = core_->Display().ProgressMessage(message, wParam, lParam)) return *answer;
        if (message == WM_SETTEXT) {
            title_ = SentText(lParam);
            return TRUE;
        }
        return AnswerText(title_, message, wParam, lParam).value_or(0);
    }

  private:
    std::u16string title_;
};

class StatusWindow final : public ConsoleWindowObject {
  public:
    using ConsoleWindowObject::ConsoleWindowObject;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SETTEXT) {
            core_->Display().SetStatus(SentText(lParam));
            return TRUE;
        }
        return AnswerText(core_->Display().Status(), message, wParam, lParam).value_or(0);
    }
};

} // namespace

ConsoleWindow::ConsoleWindow(ConsoleOutput output) : core_(std::make_shared<ConsoleWindowCore>(std::move(output)))
{
    progress_.emplace(std::make_shared<ProgressWindow>(core_));
    status_.emplace(std::make_shared<StatusWindow>(core_));
    progressHandle_ = progress_->Handle();
    statusHandle_ = status_->Handle();
    if (!progressHandle_ || !statusHandle_) throw std::runtime_error("no window handle left for the console window");
}

ConsoleWindow::~ConsoleWindow()
{
    try {
        Finish();
    } catch (...) {
        // The output failed; there is nowhere left to say so.
    }
}

void ConsoleWindow::PrintAbove(std::string line)
{
    core_->Invoke([&] { core_->Display().PrintAbove(line); });
}

std::vector<ShownMessageBox> ConsoleWindow::MessageBoxes() const
{
    return core_->MessageBoxes();
}

void ConsoleWindow::Finish()
{
    if (!progress_) return;
    progress_.reset();
    status_.reset();
    core_->Invoke([&] { core_->Display().Finish(); });
}

} // namespace host
