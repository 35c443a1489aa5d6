// A host's two publishing windows (a progress bar and a status text) and the
// message boxes shown over them, on a window thread of their own as a real
// host's would be, recording every call they were sent.
#pragma once

#include "pal/window/progress_bar_state.h"
#include "pal/window/window_object.h"
#include "pal/window/window_thread.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

struct ShownMessageBox {
    std::u16string caption;
    std::u16string text;
    UINT type = 0;
};

class RecordingWindows {
  public:
    RecordingWindows()
        : progress_(std::make_shared<Window>(*this, Window::Kind::Progress)),
          status_(std::make_shared<Window>(*this, Window::Kind::Status)), progressHandle_(progress_),
          statusHandle_(status_)
    {
    }

    HWND Progress() const { return progressHandle_.Handle(); }
    HWND Status() const { return statusHandle_.Handle(); }

    pal::ProgressBarState Bar() const
    {
        std::lock_guard lock(mutex_);
        return bar_;
    }
    std::vector<std::u16string> StatusTexts() const
    {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    std::vector<int> States() const
    {
        std::lock_guard lock(mutex_);
        return states_;
    }
    std::vector<ShownMessageBox> MessageBoxes() const
    {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::size_t MessagesSent() const
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // Calls that reached a handler on another thread than the window's.
    int OffThreadCalls() const
    {
        std::lock_guard lock(mutex_);
        return offThread_;
    }
    // Runs on the window thread after each progress bar message, outside the record's lock.
    void OnProgress(std::function<void(const pal::ProgressBarState&)> hook)
    {
        std::lock_guard lock(mutex_);
        progressHook_ = std::move(hook);
    }

  private:
    class Window final : public pal::WindowObject {
      public:
        enum class Kind { Progress, Status };
        Window(RecordingWindows& owner, Kind kind) : owner_(owner), kind_(kind) {}
        void Deliver(const std::function<void()>& task) override { owner_.thread_.Invoke(task); }
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            return owner_.Handle(kind_, message, wParam, lParam);
        }
        int OnMessageBox(std::u16string_view text, std::u16string_view caption, UINT type) override
        {
            std::lock_guard lock(owner_.mutex_);
            owner_.boxes_.push_back({std::u16string(caption), std::u16string(text), type});
            return IDOK;
        }

      private:
        RecordingWindows& owner_;
        Kind kind_;
    };

    LRESULT Handle(Window::Kind kind, UINT message, WPARAM wParam, LPARAM lParam)
    {
        std::function<void(const pal::ProgressBarState&)> hook;
        pal::ProgressBarState bar;
        LRESULT answer = 0;
        {
            std::lock_guard lock(mutex_);
            ++messages_;
            if (!thread_.IsCurrent()) ++offThread_;
            if (kind == Window::Kind::Status) {
                if (message != WM_SETTEXT) return 0;
                texts_.emplace_back(reinterpret_cast<LPCWSTR>(lParam));
                return TRUE;
            }
            const auto handled = bar_.Handle(message, wParam, lParam);
            if (!handled) return 0;
            answer = *handled;
            if (message == PBM_SETSTATE) states_.push_back(static_cast<int>(wParam));
            hook = progressHook_;
            bar = bar_;
        }
        if (hook) hook(bar);
        return answer;
    }

    mutable std::mutex mutex_;
    pal::ProgressBarState bar_;
    std::vector<std::u16string> texts_;
    std::vector<int> states_;
    std::vector<ShownMessageBox> boxes_;
    std::size_t messages_ = 0;
    int offThread_ = 0;
    std::function<void(const pal::ProgressBarState&)> progressHook_;
    pal::WindowThread thread_;
    std::shared_ptr<Window> progress_;
    std::shared_ptr<Window> status_;
    pal::WindowRegistration progressHandle_;
    pal::WindowRegistration statusHandle_;
};

} // namespace testing_support
