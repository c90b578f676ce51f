// The product's help: its compiled HTML help file beside the library, and WinHelp files.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Opens topic (a page inside the help file, "page.htm"; null or empty: the file's default page)
// of the product's help file, which lies in the library's own folder, with the HTML Help
// command and data (0, 0 displays the topic). A missing file and a help system that cannot open
// it each end in one message box and FALSE; TRUE when a help window answered. The HTML Help
// control is loaded on first use and kept; once it failed to load, every later call fails.
// Dialogs reach it through CSDlg::pfnHtmlHelp, which this module sets when the library loads.
GLMBX_API BOOL CSHtmlHelp(HWND owner, const wchar_t* topic, unsigned int command, ULONG_PTR data);

// WinHelp on file; a relative name is taken from the library's folder. WinHelpW's result.
GLMBX_API BOOL CSHelp(HWND owner, const wchar_t* file, unsigned int command, ULONG_PTR data);
