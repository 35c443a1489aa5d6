// An auto-reset event: Set wakes one waiter (or the next one to wait), and the
// event resets itself as that wait returns. Uploads wait on it for the
// transfer callbacks.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

    // Forgets a Set no wait has consumed.
    void Reset()
    {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }

    // True when the event was set within the timeout; it is reset again.
    bool WaitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        // Uploads wait once per chunk for a completion that mostly comes within
        // microseconds: looking again for a moment spares going to sleep.
        for (const auto until = std::chrono::steady_clock::now() + kSpin;
             !signalled_ && std::chrono::steady_clock::now() < until;) {
            lock.unlock();
            std::this_thread::yield();
            lock.lock();
        }
        if (!condition_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
        signalled_ = false;
        return true;
    }

  private:
    static constexpr std::chrono::microseconds kSpin{20};
    std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false; // created not signalled
};

} // namespace orvana
