// Qt widgets live on the GUI thread only (the thread of the host's
// QApplication). A dialog or message box asked for on another thread runs
// there while the asking thread waits, as a cross-thread SendMessage would.
#pragma once

#include <functional>

namespace pal::qt {

// True when the host created a QApplication.
bool HasGuiThread();
bool IsGuiThread();
// Runs task on the GUI thread and returns when it has run; at once when
// called there. An exception the task throws is rethrown here. Throws
// std::logic_error when the process has no QApplication.
void RunOnGuiThread(const std::function<void()>& task);

} // namespace pal::qt
