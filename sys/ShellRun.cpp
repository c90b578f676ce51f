// Starting programs, documents and shell items; the RunDll32 log-on entry; the wallpaper.
#include "sys/ShellRun.h"

#include <shellapi.h>

#include "sys/PathUtil.h"
#include "sys/RegKey.h"
#include "sys/TextTrunc.h"
#include "ui/CSWaitCursor.h"

extern "C" HINSTANCE hiDLL;

namespace {

const wchar_t* OrNull(const wchar_t* s)
{
    return s && *s ? s : nullptr;
}

// Where the shell's own messages go when the caller names no owner.
HWND ActivePopup()
{
    HWND active = GetActiveWindow();
    return active ? GetLastActivePopup(active) : nullptr;
}

struct ShellRequest {
    ShellRequest(HWND ownerWindow, const wchar_t* fileName, const wchar_t* parameters, const wchar_t* folder,
                 const wchar_t* verbName = nullptr)
        : owner(ownerWindow), file(fileName), params(parameters), dir(folder), verb(verbName) {}

    HWND owner;
    const wchar_t* file;
    const wchar_t* params;
    const wchar_t* dir;
    const wchar_t* verb;
    ITEMIDLIST* item = nullptr;
    unsigned long mask = 0;
    int show = SW_SHOWNORMAL;
};

// One ShellExecuteExW under the wait cursor. With process the new process's handle is handed
// over; without, any handle the shell gave is closed.
BOOL Execute(const ShellRequest& request, HANDLE* process = nullptr)
{
    if (process)
        *process = nullptr;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // The shell may finish a DDE conversation after returning; the caller may not wait for it.
    info.fMask = request.mask | SEE_MASK_NOASYNC | (process ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = request.owner;
    info.lpVerb = OrNull(request.verb);
    info.lpFile = OrNull(request.file);
    info.lpParameters = OrNull(request.params);
    info.lpDirectory = OrNull(request.dir);
    info.lpIDList = request.item;
    info.nShow = request.show;
    BOOL ok;
    {
        CSWaitCursor wait;
        ok = ShellExecuteExW(&info);
    }
    if (process && ok)
        *process = info.hProcess;
    else if (info.hProcess && (info.fMask & SEE_MASK_NOCLOSEPROCESS))
        CloseHandle(info.hProcess);
    return ok;
}

// "<library's short path>,<args>"; false when it does not fit.
bool MakeDll32Params(wchar_t* buf, int bufChars, const wchar_t* args)
{
    wchar_t module[MAX_PATH];
    DWORD length = GetModuleFileNameW(hiDLL, module, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return false;
    // A volume without short names keeps the long path.
    ConvertToShortPath(module, MAX_PATH);
    return textbuf::FormatWhole(buf, bufChars, L"%s,%s", module, args ? args : L"");
}

} // namespace

BOOL RunFile(const wchar_t* file, const wchar_t* params, const wchar_t* dir)
{
    return OrNull(file) && Execute(ShellRequest(ActivePopup(), file, params, dir));
}

BOOL RunFileEx(const wchar_t* file, const wchar_t* params, const wchar_t* verb, unsigned long mask, HANDLE* process)
{
    if (process)
        *process = nullptr;
    if (!OrNull(file))
        return FALSE;
    ShellRequest request(ActivePopup(), file, params, nullptr, verb);
    request.mask = mask;
    return Execute(request, process);
}

HANDLE StartProcess(const wchar_t* file, const wchar_t* params, const wchar_t* dir)
{
    HANDLE process = nullptr;
    if (!OrNull(file) || !Execute(ShellRequest(ActivePopup(), file, params, dir), &process))
        return nullptr;
    return process;
}

BOOL RunPidl(HWND owner, ITEMIDLIST* item, const wchar_t* dir)
{
    if (!item)
        return FALSE;
    ShellRequest request(owner, nullptr, nullptr, dir);
    request.item = item;
    request.mask = SEE_MASK_INVOKEIDLIST;
    request.show = SW_SHOW;
    return Execute(request);
}

BOOL RunLocalFile(HWND owner, const wchar_t* file, const wchar_t* params, const wchar_t* verb)
{
    if (!OrNull(file))
        return FALSE;
    wchar_t path[MAX_PATH];
    wchar_t home[MAX_PATH];
    GetLocalFileName(path, file);
    GetLocalFolder(home);
    return Execute(ShellRequest(owner ? owner : GetDesktopWindow(), path, params, home, verb));
}

BOOL RunMyself(const wchar_t* params)
{
    wchar_t path[MAX_PATH];
    wchar_t dir[MAX_PATH];
    return GetLocalPathDir(path, dir) && Execute(ShellRequest(ActivePopup(), path, params, dir, L"open"));
}

BOOL RunProcess(const wchar_t* app, const wchar_t* cmdLine, PROCESS_INFORMATION* info, unsigned short show,
                const wchar_t* dir)
{
    PROCESS_INFORMATION started = {};
    if (info)
        *info = started;
    if (!OrNull(app) && !OrNull(cmdLine))
        return FALSE;
    // CreateProcessW may write into the command line: it must be ours anyway.
    wchar_t line[MAX_PATH] = L"";
    if (OrNull(cmdLine)) {
        DWORD needed = ExpandEnvironmentStringsW(cmdLine, line, MAX_PATH);
        if (!needed || needed > MAX_PATH)
            return FALSE;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    if (!CreateProcessW(OrNull(app), line[0] ? line : nullptr, nullptr, nullptr, FALSE, 0, nullptr, OrNull(dir),
                        &startup, &started))
        return FALSE;
    // Wine starts a Unix program without handles and leaves a stale value in hThread.
    if (!started.dwProcessId)
        started.hProcess = started.hThread = nullptr;
    if (info) {
        *info = started;
    } else {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    return TRUE;
}

BOOL RunDll32(const wchar_t* args)
{
    wchar_t params[2 * MAX_PATH];
    if (!MakeDll32Params(params, 2 * MAX_PATH, args))
        return FALSE;
    return RunFile(L"RunDll32.exe", params);
}

BOOL GetSetAutoRunDll32(int set, const wchar_t* name, int enable, int currentUser, const wchar_t* args)
{
    // A missing name would address the key's default value.
    if (!OrNull(name))
        return FALSE;
    wchar_t params[2 * MAX_PATH];
    wchar_t command[2 * MAX_PATH + 16];
    if (!MakeDll32Params(params, 2 * MAX_PATH, args) ||
        !textbuf::FormatWhole(command, 2 * MAX_PATH + 16, L"%s %s", L"RunDll32.exe", params))
        return FALSE;
    wchar_t keyPath[256];
    textbuf::Format(keyPath, 256, L"%s\\Run", currentUser ? RegKey::sz_HKCU_WinCurVer : RegKey::sz_HKLM_WinCurVer);
    RegKey::Op op = set ? (enable ? RegKey::OpInstall : RegKey::OpRemove)
                        : (enable ? RegKey::OpCheck : RegKey::OpCheckAbsent);
    RegKey key(keyPath, op);
    return key.ProcessEntry(op, name, command);
}

BOOL AutoRunDll32(const wchar_t* name, int enable, int currentUser, const wchar_t* args)
{
    return GetSetAutoRunDll32(1, name, enable, currentUser, args);
}

BOOL SetWallpaper(const wchar_t* path)
{
    if (!path || wcslen(path) >= MAX_PATH)
        return FALSE;
    wchar_t picture[MAX_PATH];
    textbuf::Copy(picture, MAX_PATH, path);
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, picture, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}
