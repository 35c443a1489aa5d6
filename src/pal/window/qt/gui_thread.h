// Qt widgets live on the GUI thread only (the thread of the host's
// QApplication). A dialog or message box asked for on another thread runs
// there while the asking thread waits, as a cross-thread SendMessage would.
//
// What crosses threads goes through a queue of our own, guarded by a standard
// mutex; Qt only wakes the GUI thread. Qt's own locks are futexes that the
// thread sanitizer cannot see in an uninstrumented Qt, so data handed over in
// a queued Qt call would look unguarded to it.
#pragma once

#include <functional>

namespace pal::qt {

// True when the host created a QApplication.
bool HasGuiThread();
bool IsGuiThread();
// Runs task on the GUI thread and returns when it has run; at once when
// called there. An exception the task throws is rethrown here. Throws
// std::logic_error when the process has no QApplication, std::runtime_error
// when the application ends before the task has run.
void RunOnGuiThread(const std::function<void()>& task);
// Queues task for the GUI thread's event loop and returns at once, also when
// called there; tasks run in the order they were posted. A task that throws
// ends the process, as an exception escaping a Qt event handler would.
// Throws std::logic_error when the process has no QApplication.
void PostToGuiThread(std::function<void()> task);

} // namespace pal::qt
