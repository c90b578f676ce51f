// Finding an earlier instance of a program, in any process, and bringing it forward or closing it.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// A second start calls ActivatePrevWnd (or ActivatePrevDlg) before it makes windows of its
// own; the first instance's window procedure passes every message to
// OnActivatePreviousInstance. Both sides speak "CorvantrixMessage": sub-code 121 asks a
// window whether it has an identity number, sub-code 3 asks it to come to the front.

// Looks at the top-level windows of the class (and title, when given). With id 0 the first
// one is the instance; otherwise the first that claims the identity (sub-code 121). The
// instance is asked to come forward (sub-code 3); when it does not answer, it is restored
// and its last active pop-up is brought to the foreground here. 1 when one was found.
// Without class, title and identity nothing is found (not just any window).
GLMBX_API int ActivatePrevWnd(const wchar_t* className, const wchar_t* title, WORD id);
// The same search; the instance is sent WM_CLOSE (waiting at most 1000 ms for a hung one).
GLMBX_API int ClosePrevWnd(const wchar_t* className, const wchar_t* title, WORD id);
// ActivatePrevWnd over the system's dialog class: with id 0 the first dialog of the desktop,
// whoever's it is.
GLMBX_API int ActivatePrevDlg(WORD id);

// The answering side, for every message of a window: on sub-code 3 with lParam equal to id
// it restores the window if it (or its top parent) is minimised, brings its last active
// pop-up to the foreground and returns 1. Every other message: 0, nothing done.
GLMBX_API int OnActivatePreviousInstance(DWORD id, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks every top-level window to come forward for the identity (at most 1000 ms each);
// the first that does is returned, else null.
GLMBX_API HWND ActivatePreviousInstance(DWORD id);

// Brings a window to the foreground from any thread or process: the calling thread shares
// the foreground thread's input for the moment of the call.
GLMBX_API void DoActivateWindow(HWND wnd);

// Dispatches every queued message of the window (of the whole thread, when null). 0 when a
// WM_QUIT was among them (it is consumed, not posted again), else 1.
GLMBX_API int ProcessAllMessages(HWND wnd);
// The same; the exit code of a consumed WM_QUIT goes to *quitCode.
GLMBX_API int ProcessAllMessages(HWND wnd, int* quitCode);
