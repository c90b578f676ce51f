// The system's file and colour dialogs with the library's defaults.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// The save (save non-zero) or open file dialog on the MAX_PATH path (in and out). title
// defaults to "Browse for file"; filter is "description|pattern|..." (see
// PrepareBrowseFilter); flags 0 means the usual ones for saving or opening. The chosen path
// comes back in shell form. Returns the dialog's result (non-zero: a file was chosen).
GLMBX_API int BrowseForFile(HWND owner, int save, wchar_t* path, const wchar_t* title = nullptr,
                            const wchar_t* initialDir = nullptr, const wchar_t* filter = nullptr,
                            const wchar_t* defExt = nullptr, unsigned flags = 0);
// The shell's folder browser, starting at the MAX_PATH folder path (in and out). flags are
// BIF_ flags (0: file-system folders only, with the new dialog style). Returns non-zero when
// a folder was chosen; path is left alone otherwise.
GLMBX_API int BrowseForFolder(HWND owner, wchar_t* path, const wchar_t* title = nullptr, unsigned flags = 0);
// The file dialog's filter from "description|pattern|...": a filter not ending in "|" gets
// "|All Files|*.*|" appended (no filter: "All Files|*.*|"), then every "|" becomes a zero.
// A filter that does not fit is cut after its last whole pair; out always ends in two zeros.
// Returns the characters used including both final zeros (0 when outChars is below 2).
GLMBX_API int PrepareBrowseFilter(const wchar_t* filter, wchar_t* out, int outChars);
// The colour dialog starting from color (0x0FFFFFFF, no colour, starts from black). Without
// custom (16 colours) the custom colours are white and the full dialog cannot be opened. On OK
// color receives the choice. Returns the dialog's result.
GLMBX_API int MyChooseColor(HWND owner, COLORREF& color, unsigned long flags = 0, COLORREF* custom = nullptr);
