#include "pal/window/qt/gui_thread.h"

#include <QApplication>
#include <QEvent>
#include <QThread>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>

namespace pal::qt {

namespace {

// Lives on the GUI thread; each wake-up event runs one queued task, so a task
// that opens a modal loop leaves the rest to that loop, in order.
class GuiCallQueue final : public QObject {
  public:
    void Push(std::packaged_task<void()> task)
    {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        QCoreApplication::postEvent(this, new QEvent(kRunOne));
    }

  protected:
    bool event(QEvent* event) override
    {
        if (event->type() != kRunOne) return QObject::event(event);
        std::packaged_task<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return true;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        return true;
    }

  private:
    static inline const QEvent::Type kRunOne = static_cast<QEvent::Type>(QEvent::registerEventType());

    std::mutex mutex_;
    // Tasks never run are destroyed with the queue: their waiters hear so.
    std::deque<std::packaged_task<void()>> tasks_;
};

std::mutex g_queueMutex;
GuiCallQueue* g_queue = nullptr;

// The queue of the current QApplication, made on first use from any thread
// and destroyed with the application.
GuiCallQueue& Queue()
{
    std::lock_guard lock(g_queueMutex);
    if (g_queue) return *g_queue;
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
    return *queue;
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
    std::packaged_task<void()> call([&task] { task(); });
    std::future<void> ran = call.get_future();
    Queue().Push(std::move(call));
    try {
        ran.get();
    } catch (const std::future_error& error) {
        if (error.code() != std::future_errc::broken_promise) throw;
        throw std::runtime_error("the application ended before the window could answer");
    }
}

void PostToGuiThread(std::function<void()> task)
{
    RequireGuiThread();
    // noexcept: the packaged task would otherwise keep the exception unseen.
    Queue().Push(std::packaged_task<void()>([task = std::move(task)]() noexcept { task(); }));
}

} // namespace pal::qt
