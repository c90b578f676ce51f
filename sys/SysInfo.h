// Operating-system version tests and small system queries and settings.
#pragma once

#include <windows.h>

#include "sys/Api.h"

GLMBX_API BOOL WinNT();   // the NT platform
GLMBX_API BOOL Win2K();   // NT 5 or later
GLMBX_API BOOL WinXP();   // NT 5.1 or later
GLMBX_API BOOL WinNT4();  // NT 4
GLMBX_API BOOL Win9x();   // the Windows 95 family
GLMBX_API BOOL Win95();   // 95 family, version 4.0
GLMBX_API BOOL WinMe();   // 95 family with a shell of version 5.0 or later
// NT below version 5, or a workstation, domain controller or server that is not a Home edition.
GLMBX_API BOOL WinPro();
// Running under 32-bit emulation on a 64-bit system; false when the system cannot tell.
GLMBX_API BOOL IsWow64();
// The bitness (32 or 64) of the process that owns the window; 0 when it cannot be told.
GLMBX_API int GetWindowProcessBits(HWND hwnd);
// On a system where WinPro holds, tells the user (library string 20008, stop icon) that the
// program does not support it and returns false; true otherwise.
GLMBX_API BOOL WinProNotSupported(HWND hwnd);

// A module's version as (major << 8) | minor (its DllGetVersion, else its file version), and
// the parts in major and minor when given; 0 when it cannot be read. Without a file: the
// version of the system's shell (shell32.dll), which tells the 95 family's editions apart.
GLMBX_API DWORD GetVerDll(const wchar_t* file = nullptr, int* major = nullptr, int* minor = nullptr);
GLMBX_API DWORD GetVerDll_ComCtl32();

// Whether switching users without logging off is on (XP and later).
GLMBX_API BOOL IsFastUserSwitchingEnabled();
// The name of the calling thread's desktop ("Default" normally), cut to bufChars.
GLMBX_API BOOL GetDesktopName(wchar_t* buf, int bufChars);
// Seconds since 1995-12-26 00:00 UTC.
GLMBX_API unsigned long GetCurTime();
// The current time as a file time (UTC).
GLMBX_API void GetSysFileTime(FILETIME* time);
// Today's local date in MS-DOS form (day, month, years since 1980 packed in 16 bits).
GLMBX_API WORD GetDOSdate();
// The machine has drive A: as its only floppy drive (B: is then A: under another name).
GLMBX_API BOOL SingleFloppy();
// drive: 0 for A:, 1 for B:, and so on.
GLMBX_API BOOL IsDriveValid(int drive);
// The first drive letter from C: on that is not in use, as a drive number; -1 when none is free.
GLMBX_API int FindAvailableDrive();
// Enables or disables a privilege (SE_..._NAME) of the process token; true when it was done.
GLMBX_API BOOL EnablePrivilege(const wchar_t* name, BOOL enable);
// Ends a running screen saver; true when one was running.
GLMBX_API BOOL StopScreenSaver();
// On the 95 family: enables or disables Ctrl+Alt+Del and Alt+Tab; returns the previous state
// (true: enabled). The NT family cannot do this: nothing happens and the result is true.
GLMBX_API BOOL EnableSysKeys(BOOL enable);
// Tells the system that the user is active: resets the idle timers (screen saver, sleep).
GLMBX_API void ImitateUserActivity();
