#include "pal/window/qt/widget_window.h"

#include "pal/window/progress_bar_state.h"
#include "pal/window/qt/gui_thread.h"
#include "pal/window/qt/message_box.h"
#include "pal/window/qt/wide_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QProgressBar>
#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace pal::qt {

namespace {

QColor BarColour(int state)
{
    switch (state) {
    case PBST_ERROR:
        return QColor(0xd0, 0x26, 0x1b);
    case PBST_PAUSED:
        return QColor(0xda, 0xb1, 0x0c);
    default:
        return QPalette().color(QPalette::Highlight);
    }
}

class WidgetWindow : public WindowObject {
  public:
    explicit WidgetWindow(QWidget* widget) : widget_(widget)
    {
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            bar_.low = bar->minimum();
            bar_.high = bar->maximum();
            bar_.position = bar->value();
        }
    }

    QWidget* Widget() const { return widget_.data(); }

    void Deliver(const std::function<void()>& task) override { RunOnGuiThread(task); }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        QWidget* widget = widget_.data();
        if (!widget) return 0;
        if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
            if (const auto answer = bar_.Handle(message, wParam, lParam)) {
                ShowBar(bar);
                return *answer;
            }
        }
        switch (message) {
        case WM_SETTEXT:
            SetText(widget, FromWide(reinterpret_cast<LPCWSTR>(lParam)));
            return TRUE;
        case WM_GETTEXTLENGTH:
            return Text(widget).size();
        case WM_GETTEXT:
            return CopyText(Text(widget), wParam, reinterpret_cast<LPWSTR>(lParam));
        default:
            return 0;
        }
    }

    int OnMessageBox(std::u16string_view text, std::u16string_view caption, UINT type) override
    {
        return ShowMessageBox(widget_.data(), text, caption, type);
    }

  private:
    void ShowBar(QProgressBar* bar)
    {
        bar->setRange(bar_.low, std::max(bar_.low, bar_.high));
        bar->setValue(bar_.position);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Highlight, BarColour(bar_.state));
        bar->setPalette(palette);
    }

    static void SetText(QWidget* widget, const QString& text)
    {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setTextFormat(Qt::PlainText);
            label->setText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(text);
        } else {
            widget->setWindowTitle(text);
        }
    }

    static QString Text(const QWidget* widget)
    {
        if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
        if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
        if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
        return widget->windowTitle();
    }

    // As WM_GETTEXT: at most capacity - 1 code units and a terminator.
    static LRESULT CopyText(const QString& text, WPARAM capacity, LPWSTR buffer)
    {
        if (!buffer || capacity == 0) return 0;
        const auto count = std::min<std::size_t>(static_cast<std::size_t>(text.size()), capacity - 1);
        std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), count, buffer);
        buffer[count] = u'\0';
        return static_cast<LRESULT>(count);
    }

    QPointer<QWidget> widget_;
    ProgressBarState bar_;
};

std::mutex g_tableMutex;
std::unordered_map<const QWidget*, HWND> g_handles;

} // namespace

HWND RegisterWidget(QWidget* widget)
{
    std::lock_guard lock(g_tableMutex);
    if (const auto found = g_handles.find(widget); found != g_handles.end()) return found->second;
    const HWND handle = RegisterWindow(std::make_shared<WidgetWindow>(widget));
    if (!handle) return nullptr;
    g_handles.emplace(widget, handle);
    QObject::connect(widget, &QObject::destroyed, [widget, handle] {
        UnregisterWindow(handle);
        std::lock_guard lock(g_tableMutex);
        g_handles.erase(widget);
    });
    return handle;
}

QWidget* WidgetOf(HWND window)
{
    const auto object = FindWindowObject(window);
    const auto* widgetWindow = dynamic_cast<const WidgetWindow*>(object.get());
    return widgetWindow ? widgetWindow->Widget() : nullptr;
}

} // namespace pal::qt
