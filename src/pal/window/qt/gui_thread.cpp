#include "pal/window/qt/gui_thread.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>
#include <stdexcept>

namespace pal::qt {

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
    if (!HasGuiThread()) throw std::logic_error("no QApplication: the host shows no windows");
    if (IsGuiThread()) {
        task();
        return;
    }
    std::exception_ptr failure;
    // Blocking: the caller's stack (and task) outlive the call.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            try {
                task();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) std::rethrow_exception(failure);
}

} // namespace pal::qt
