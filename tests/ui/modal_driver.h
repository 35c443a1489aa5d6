// Acting on a modal window once it is shown: the tests' hands while a
// dialog's own loop runs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>

namespace ui_testing {

// Calls act with the next shown modal window of type T (polled on the GUI
// thread). A window that never comes fails the test after a few seconds.
template <class T> void WhenModalShows(std::function<void(T&)> act)
{
    auto* timer = new QTimer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible()) {
            if (std::chrono::steady_clock::now() < deadline) return;
            ADD_FAILURE() << "no modal window of the expected kind was shown";
        }
        timer->stop();
        timer->deleteLater();
        if (window && window->isVisible()) act(*window);
    });
    timer->start(5);
}

// Processes events until done() holds (true) or milliseconds have passed
// (false): what other threads post to the GUI thread arrives meanwhile.
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents(); // what is still queued
    return true;
}

// The child with the numeric objectName.
template <class T> T* Control(const QWidget& parent, int id)
{
    return parent.findChild<T*>(QString::number(id));
}

} // namespace ui_testing
