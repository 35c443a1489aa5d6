#include "pal/window/qt/gui_thread.h"

#include <QApplication>
#include <QEvent>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>

namespace pal::qt {

namespace {

// A caller waiting in RunOnGuiThread.
struct Waiter {
    const std::function<void()>& task;
    bool finished = false;
    bool dropped = false;
    std::exception_ptr error;
};

struct Entry {
    std::function<void()> task;
    Waiter* waiter = nullptr;
};

// One mutex for the queued tasks and their waiters, taken on both sides of
// every hand-over: also the wake-up event is made under it, so the GUI thread
// reads nothing the sanitizer cannot see handed over.
std::mutex g_mutex;
std::condition_variable g_finished;

const QEvent::Type kRunOne = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the GUI thread; each wake-up event runs one queued task, so a task
// that opens a modal loop leaves the rest to that loop, in order.
class GuiCallQueue final : public QObject {
  public:
    ~GuiCallQueue() override
    {
        std::lock_guard lock(g_mutex);
        for (Entry& entry : entries_)
            if (entry.waiter) {
                entry.waiter->dropped = true;
                entry.waiter->finished = true;
            }
        g_finished.notify_all();
    }

    // Called with g_mutex held; answers the event to post once it is released.
    QEvent* Push(Entry entry)
    {
        entries_.push_back(std::move(entry));
        return new QEvent(kRunOne);
    }

  protected:
    bool event(QEvent* event) override
    {
        std::unique_lock lock(g_mutex);
        if (event->type() != kRunOne) {
            lock.unlock();
            return QObject::event(event);
        }
        if (entries_.empty()) return true;
        Entry entry = std::move(entries_.front());
        entries_.pop_front();
        lock.unlock();
        if (!entry.waiter) {
            RunPosted(entry.task);
            return true;
        }
        std::exception_ptr error;
        try {
            entry.waiter->task();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        entry.waiter->error = error;
        entry.waiter->finished = true;
        g_finished.notify_all();
        return true;
    }

  private:
    // Nothing is waiting to hear of a failure, and an exception must not cross
    // Qt's event loop.
    static void RunPosted(const std::function<void()>& task) noexcept { task(); }

    std::deque<Entry> entries_;
};

// Guards g_queue. Not g_mutex: moving the new queue to the GUI thread sends
// it an event, and its handler takes g_mutex.
std::mutex g_queueMutex;
GuiCallQueue* g_queue = nullptr;

// The current QApplication's queue, made on first use from any thread and
// destroyed with the application.
GuiCallQueue* Queue()
{
    std::lock_guard lock(g_queueMutex);
    if (g_queue) return g_queue;
    QCoreApplication* application = QCoreApplication::instance();
    auto* queue = new GuiCallQueue;
    queue->moveToThread(application->thread());
    QObject::connect(application, &QObject::destroyed, queue, [queue] {
        {
            std::lock_guard lock(g_queueMutex);
            g_queue = nullptr;
        }
        delete queue;
    });
    g_queue = queue;
    return queue;
}

void Push(Entry entry)
{
    GuiCallQueue* queue = Queue();
    QEvent* wake;
    {
        std::lock_guard lock(g_mutex);
        wake = queue->Push(std::move(entry));
    }
    QCoreApplication::postEvent(queue, wake);
}

void RequireGuiThread()
{
    if (!HasGuiThread()) throw std::logic_error("no QApplication: the host shows no windows");
}

} // namespace

bool HasGuiThread()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool IsGuiThread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

void RunOnGuiThread(const std::function<void()>& task)
{
    RequireGuiThread();
    if (IsGuiThread()) {
        task();
        return;
    }
    // The caller's stack (and task) outlive the call: it waits here.
    Waiter waiter{task, false, false, {}};
    Push(Entry{{}, &waiter});
    std::unique_lock lock(g_mutex);
    g_finished.wait(lock, [&] { return waiter.finished; });
    if (waiter.dropped) throw std::runtime_error("the application ended before the window could answer");
    if (waiter.error) std::rethrow_exception(waiter.error);
}

void PostToGuiThread(std::function<void()> task)
{
    RequireGuiThread();
    Push(Entry{std::move(task), nullptr});
}

} // namespace pal::qt
