// An auto-reset event: Set wakes one waiter (or the next one to wait), and the
// event resets itself as that wait returns. Uploads wait on it for the
// transfer callbacks.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvana {

class AutoResetEvent {
  public:
    void Set()
    {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        condition_.notify_one();
    }

    // True when the event was set within the timeout; it is reset again.
    bool WaitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        if (!condition_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
        signalled_ = false;
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false; // created not signalled
};

} // namespace orvana
