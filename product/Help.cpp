// CSHtmlHelp and CSHelp: help files from the library's folder, the HTML Help control loaded on demand.
#include "product/Help.h"

#include <shlwapi.h>

#include "product/ProductInfo.h"
#include "res/StringIds.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/ResStr.h"
#include "sys/TextTrunc.h"
#include "ui/CSDlg.h"
#include "ui/CSWaitCursor.h"

extern "C" HINSTANCE hiDLL;

namespace {

typedef HWND(WINAPI* HtmlHelpWFn)(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data);

// The registration of the HTML Help control (HHCtrl) names the file that is really installed;
// a bare name is only the fallback.
const wchar_t HtmlHelpServerKey[] = L"HKCLS\\CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const wchar_t HtmlHelpModule[] = L"hhctrl.ocx";
// HtmlHelpW, by the number under which the control exports it.
const WORD HtmlHelpWOrdinal = 15;

// The dialog framework reaches help only through its pointer. Setting it here, while the library
// loads (before DllMain, so before any dialog exists), keeps ui/ free of this module and leaves
// no start-up code elsewhere that has to remember it.
const struct HookIntoDialogs {
    HookIntoDialogs() { CSDlg::pfnHtmlHelp = CSHtmlHelp; }
} hookIntoDialogs;

// The library's folder, a backslash and name, cut to size; false (and name alone) when the
// library's own path cannot be read whole.
bool LibraryFilePath(wchar_t* path, int size, const wchar_t* name)
{
    DWORD length = GetModuleFileNameW(hiDLL, path, static_cast<DWORD>(size));
    wchar_t* slash = length > 0 && length < static_cast<DWORD>(size) ? wcsrchr(path, L'\\') : nullptr;
    if (!slash) {
        textbuf::Copy(path, size, name);
        return false;
    }
    slash[1] = 0;
    textbuf::Append(path, size, name);
    return true;
}

HtmlHelpWFn LoadHtmlHelp()
{
    HMODULE control = nullptr;
    wchar_t server[MAX_PATH] = L"";
    RegKey key(HtmlHelpServerKey, 0);
    if (key.GetStr(nullptr, server, MAX_PATH) > 0) {
        wchar_t expanded[MAX_PATH];
        DWORD length = ExpandEnvironmentStringsW(server, expanded, MAX_PATH);
        control = LoadLibraryW(length > 0 && length <= MAX_PATH ? expanded : server);
    }
    if (!control)
        control = LoadLibraryW(HtmlHelpModule);
    if (!control)
        return nullptr;
    auto function = reinterpret_cast<HtmlHelpWFn>(GetProcAddress(control, MAKEINTRESOURCEA(HtmlHelpWOrdinal)));
    // Help windows live in this process: the control stays loaded with them for good.
    if (!function)
        FreeLibrary(control);
    return function;
}

// Looked for once per process: success and failure are both kept.
HtmlHelpWFn HtmlHelpFunction()
{
    static const HtmlHelpWFn function = LoadHtmlHelp();
    return function;
}

} // namespace

BOOL CSHtmlHelp(HWND owner, const wchar_t* topic, unsigned int command, ULONG_PTR data)
{
    CSWaitCursor wait;
    wchar_t path[MAX_PATH];
    if (!LibraryFilePath(path, MAX_PATH, GetProductInfo()->GetHelpFile()) || !FileExists(path)) {
        Msg(owner, MB_ICONSTOP, -IDS_HELP_FILE_MISSING, path);
        return FALSE;
    }
    wchar_t file[2 * MAX_PATH];
    textbuf::Copy(file, 2 * MAX_PATH, path);
    if (topic && *topic) {
        textbuf::Append(file, 2 * MAX_PATH, L"::/");
        textbuf::Append(file, 2 * MAX_PATH, topic);
    }
    HtmlHelpWFn htmlHelp = HtmlHelpFunction();
    if (htmlHelp && htmlHelp(owner, file, command, data))
        return TRUE;
    Msg(owner, MB_ICONSTOP, -IDS_NO_HTMLHELP);
    return FALSE;
}

BOOL CSHelp(HWND owner, const wchar_t* file, unsigned int command, ULONG_PTR data)
{
    CSWaitCursor wait;
    wchar_t path[MAX_PATH];
    if (file && *file && PathIsRelativeW(file)) {
        LibraryFilePath(path, MAX_PATH, file);
        file = path;
    }
    return WinHelpW(owner, file, command, data);
}
