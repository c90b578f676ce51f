// The module's entry points for the launcher, and its exported data.
#pragma once

#include <windows.h>

#include "product/UpdateCheck.h"  // DoCheckForUpdatesAuto, the third entry point
#include "sys/Api.h"

GLMBX_EXTERN_C HINSTANCE hiDLL;
// The start dialog's window while one is open, in any process (a field of the shared section).
#ifdef GLMBX_BUILDING_DLL
extern "C" HWND hwndDlgMain;
#else
GLMBX_EXTERN_C HWND hwndDlgMain;
#endif

// The start-dialog role: the dialog's result, -1 when it could not be created, 0 when an
// earlier start dialog was brought to the front instead.
GLMBX_EXTERN_C int DoGlimpsebox(wchar_t* cmdLine, int show);
// The tray role (start non-zero), or a request to close the running tray (start zero).
// Returns the tray process's exit code, 0 when nothing was started.
GLMBX_EXTERN_C int RunTB_Icon(int start, HINSTANCE hInst, wchar_t* cmdLine, int show);

// The tray window's class: at most one per desktop.
#define GLIMPSEBOX_TRAY_CLASS L"Corvantrix_GLIMPSEBOX_TBICON"
