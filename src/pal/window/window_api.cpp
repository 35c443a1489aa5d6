// The window calls over the handle table: each finds the object the handle
// names and hands the call to it on the object's thread.
#include "../base/handle_table.h"
#include "../base/last_error.h"
#include "pal/utf.h"
#include "window.h"
#include "window_object.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace pal {

namespace {

using Windows = HandlesOf<WindowObject, HandleKind::Window>;

std::mutex g_presenterMutex;
MessageBoxPresenter g_presenter;
Beeper g_beeper;

std::shared_ptr<WindowObject> Find(HWND window)
{
    auto object = Windows::Find(reinterpret_cast<HandleValue>(window));
    if (!object) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return object;
}

int PresentOwnerless(std::u16string_view text, std::u16string_view caption, UINT type)
{
    MessageBoxPresenter presenter;
    {
        std::lock_guard lock(g_presenterMutex);
        presenter = g_presenter;
    }
    if (presenter) return presenter(text, caption, type);
    std::fprintf(stderr, "%s: %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return IDOK;
}

void Beep(UINT type)
{
    Beeper beeper;
    {
        std::lock_guard lock(g_presenterMutex);
        beeper = g_beeper;
    }
    if (beeper) {
        beeper(type);
    } else if (::isatty(STDERR_FILENO)) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
}

} // namespace

HWND RegisterWindow(std::shared_ptr<WindowObject> window)
{
    return reinterpret_cast<HWND>(Windows::Add(std::move(window)));
}

void UnregisterWindow(HWND window)
{
    Windows::Remove(reinterpret_cast<HandleValue>(window));
}

std::shared_ptr<WindowObject> FindWindowObject(HWND window)
{
    return Windows::Find(reinterpret_cast<HandleValue>(window));
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter)
{
    std::lock_guard lock(g_presenterMutex);
    g_presenter = std::move(presenter);
}

void SetBeeper(Beeper beeper)
{
    std::lock_guard lock(g_presenterMutex);
    g_beeper = std::move(beeper);
}

} // namespace pal

STDAPI_(LRESULT) SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    const auto window = pal::Find(hWnd);
    if (!window) return 0;
    LRESULT result = 0;
    try {
        window->Deliver([&] { result = window->OnMessage(Msg, wParam, lParam); });
    } catch (...) {
        return 0; // a window's failure stays with the window, as a crashed handler's would
    }
    return result;
}

STDAPI_(BOOL) SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    if (!pal::Find(hWnd)) return FALSE;
    return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : u"")) ? TRUE : FALSE;
}

STDAPI_(BOOL) IsWindow(HWND hWnd)
{
    return pal::Windows::Find(reinterpret_cast<pal::HandleValue>(hWnd)) ? TRUE : FALSE;
}

STDAPI_(int) MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    const std::u16string_view text = lpText ? lpText : u"";
    const std::u16string_view caption = lpCaption ? lpCaption : u"Error";
    if (!hWnd) return pal::PresentOwnerless(text, caption, uType);
    const auto window = pal::Find(hWnd);
    if (!window) return 0;
    int answer = 0;
    try {
        window->Deliver([&] { answer = window->OnMessageBox(text, caption, uType); });
    } catch (...) {
        return 0;
    }
    return answer;
}

STDAPI_(BOOL) MessageBeep(UINT uType)
{
    pal::Beep(uType);
    return TRUE;
}
