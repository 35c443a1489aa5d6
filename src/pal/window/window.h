// The window calls the component makes on windows a host gave it, with the
// Windows names and values. A call made on another thread than the window's
// is delivered on the window's thread and returns when it has been handled,
// as SendMessage does. A handle that names no open window fails with
// ERROR_INVALID_WINDOW_HANDLE.
#pragma once

#include "../base/types.h"

constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_USER = 0x0400;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// 0 (and the last error) when the handle is not a window; otherwise what
// the window answered.
STDAPI_(LRESULT) SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// WM_SETTEXT with the text: TRUE when the window took it.
STDAPI_(BOOL) SetWindowTextW(HWND hWnd, LPCWSTR lpString);
STDAPI_(BOOL) IsWindow(HWND hWnd);
// Shown by the owner window, on its thread; with no owner, on the process's
// message box presenter (standard error unless a host installs one).
// Answers the button pressed, or 0 when the owner is not a window.
STDAPI_(int) MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
// Plays the sound of a message box type (MB_OK for the default sound) on
// the process's beeper (a terminal bell unless a host installs one).
STDAPI_(BOOL) MessageBeep(UINT uType);

#ifdef UNICODE
#define SendMessage SendMessageW
#define SetWindowText SetWindowTextW
#define MessageBox MessageBoxW
#endif
