#include "window_thread.h"

#include <exception>

namespace pal {

struct WindowThread::Call {
    const std::function<void()>& task;
    bool done = false;
    std::exception_ptr error;
};

WindowThread::WindowThread() : thread_([this] { Run(); }) {}

WindowThread::~WindowThread()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_one();
    thread_.join();
}

void WindowThread::Invoke(const std::function<void()>& task)
{
    if (IsCurrent()) {
        task();
        return;
    }
    Call call{task, false, {}};
    std::unique_lock lock(mutex_);
    calls_.push_back(&call);
    queued_.notify_one();
    finished_.wait(lock, [&] { return call.done; });
    if (call.error) std::rethrow_exception(call.error);
}

void WindowThread::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [&] { return stopping_ || !calls_.empty(); });
        if (calls_.empty()) return;
        Call* call = calls_.front();
        calls_.pop_front();
        lock.unlock();
        try {
            call->task();
        } catch (...) {
            call->error = std::current_exception();
        }
        lock.lock();
        call->done = true;
        finished_.notify_all();
    }
}

} // namespace pal
