// Starting programs, documents and shell items; the RunDll32 log-on entry; the wallpaper.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "sys/Api.h"

// Unless said otherwise these go through the shell (ShellExecuteExW): a file is opened with its
// default verb, shown normally, and the shell reports its own errors (a message box owned by
// the owner given, or the last active pop-up of the calling thread's active window). An empty
// folder or parameter string counts as none. The results are the shell's success.

// Opens file with params in dir, under the wait cursor.
GLMBX_API BOOL RunFile(const wchar_t* file, const wchar_t* params = nullptr, const wchar_t* dir = nullptr);
// The same with a verb (null: the default) and SEE_MASK_ flags (SEE_MASK_FLAG_NO_UI keeps the
// shell quiet). With process, the new process's handle is returned there (null when the
// shell started none, for instance when a running program took the document); the caller
// closes it.
GLMBX_API BOOL RunFileEx(const wchar_t* file, const wchar_t* params, const wchar_t* verb, unsigned long mask,
                         HANDLE* process = nullptr);
// Like RunFile, but returns the new process's handle (null on failure, or when the shell
// started no process); the caller closes it.
GLMBX_API HANDLE StartProcess(const wchar_t* file, const wchar_t* params = nullptr, const wchar_t* dir = nullptr);
// Invokes a shell item by its absolute item list (its default verb), shown (SW_SHOW).
GLMBX_API BOOL RunPidl(HWND owner, ITEMIDLIST* item, const wchar_t* dir = nullptr);
// Runs the named file of the product's home folder (GetLocalFileName) with params and verb,
// in that folder, owned by owner or else the desktop window, under the wait cursor.
GLMBX_API BOOL RunLocalFile(HWND owner, const wchar_t* file, const wchar_t* params = nullptr,
                            const wchar_t* verb = nullptr);
// Opens the executable of the current process again with params, in its own folder.
GLMBX_API BOOL RunMyself(const wchar_t* params = nullptr);
// CreateProcessW of app (may be null) and cmdLine with its environment variables expanded (at
// most MAX_PATH characters, else false), shown with show, started in dir. With info the
// caller receives (and closes) the handles; without, they are closed here.
GLMBX_API BOOL RunProcess(const wchar_t* app, const wchar_t* cmdLine, PROCESS_INFORMATION* info = nullptr,
                          unsigned short show = SW_SHOWNORMAL, const wchar_t* dir = nullptr);
// Runs "RunDll32.exe <library's short path>,<args>".
GLMBX_API BOOL RunDll32(const wchar_t* args);
// The log-on entry name in the "Run" key of the current user (currentUser) or of the machine,
// holding "RunDll32.exe <library's short path>,<args>". set: writes it (enable) or removes it;
// query: whether it holds exactly that (enable) or whether it is absent (not enable).
GLMBX_API BOOL GetSetAutoRunDll32(int set, const wchar_t* name, int enable, int currentUser, const wchar_t* args);
GLMBX_API BOOL AutoRunDll32(const wchar_t* name, int enable, int currentUser, const wchar_t* args);
// Sets the desktop wallpaper to the picture file path (an empty string removes it), stores the
// choice and tells every window. False for a null or over-long path, or when the system refuses.
GLMBX_API BOOL SetWallpaper(const wchar_t* path);
