// A thread that runs the tasks handed to it one at a time, in order, each
// caller waiting for its own: the window thread of a backend that has no
// toolkit loop of its own (a console window).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pal {

class WindowThread {
  public:
    WindowThread();
    // Runs what was queued, then joins.
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    // Runs task on the thread and waits for it; at once on the thread itself.
    // An exception the task throws is rethrown here.
    void Invoke(const std::function<void()>& task);
    bool IsCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

  private:
    struct Call;
    void Run();

    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<Call*> calls_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace pal
