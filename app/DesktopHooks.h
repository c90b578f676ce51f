// The two global hooks that carry the tray's requests into the shell's process.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Install (on) or remove (off) the hook for every thread of the desktop; the handle lives in
// the shared section so every process can chain. Returns whether the hook is now as asked.
GLMBX_API bool InstallGetMsgHook(bool on);
GLMBX_API bool InstallCallWndRetHook(bool on);

// Run in whichever process retrieves the message; they act only on the product's requests
// addressed to the recorded desktop list view and always chain.
LRESULT CALLBACK GetMsgHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CallWndRetHookProc(int code, WPARAM wParam, LPARAM lParam);
