// Finding icons of the notification area on the screen, and reading the tray's tooltips.
#include "tests/support/TrayArea.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "tests/support/Pixels.h"
#include "tests/support/TestSupport.h"

namespace test {

HWND TrayWindow()
{
    // Explorer's own "Shell_TrayWnd" stays hidden; the X11 driver shows the icons in this one.
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    return tray ? tray : FindWindowW(nullptr, L"Wine System Tray");
}

HWND FirstTrayIcon()
{
    HWND tray = TrayWindow();
    return tray ? GetWindow(tray, GW_CHILD) : nullptr;
}

bool FindTrayIcon(COLORREF colour, RECT* where)
{
    HWND tray = TrayWindow();
    RECT rc;
    if (!tray || !IsWindowVisible(tray) || !GetWindowRect(tray, &rc))
        return false;
    std::vector<COLORREF> pixels = ScreenPixels(rc);
    const LONG width = rc.right - rc.left;
    RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != colour)
            continue;
        LONG x = rc.left + static_cast<LONG>(i) % width, y = rc.top + static_cast<LONG>(i) / width;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    }
    if (box.left == LONG_MAX)
        return false;
    if (where)
        *where = box;
    return true;
}

bool WaitForTrayIcon(COLORREF colour, bool present, RECT* where, DWORD timeoutMs)
{
    return PumpUntil([&] { return FindTrayIcon(colour, where) == present; }, timeoutMs);
}

HWND TrayIconWindowAt(POINT pt)
{
    HWND hwnd = WindowFromPoint(pt);
    DWORD trayProcess = 0, process = 0;
    GetWindowThreadProcessId(TrayWindow(), &trayProcess);
    GetWindowThreadProcessId(hwnd, &process);
    return hwnd && process == trayProcess ? hwnd : nullptr;
}

std::wstring TrayTipOf(HWND iconWindow)
{
    DWORD trayProcess = 0;
    if (!iconWindow || !GetWindowThreadProcessId(iconWindow, &trayProcess))
        return {};
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, trayProcess);
    if (!process)
        return {};
    // TTM_ENUMTOOLSW fills the tool's description and copies its text to where lpszText points:
    // both in the tray's own memory.
    const SIZE_T textOffset = (sizeof(TTTOOLINFOW) + 15) / 16 * 16, textBytes = 1024 * sizeof(wchar_t);
    auto* remote =
        static_cast<BYTE*>(VirtualAllocEx(process, nullptr, textOffset + textBytes, MEM_COMMIT, PAGE_READWRITE));
    std::wstring tip;
    for (HWND tooltip = nullptr; remote && (tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr));) {
        DWORD owner = 0;
        DWORD_PTR count = 0;
        GetWindowThreadProcessId(tooltip, &owner);
        if (owner != trayProcess ||
            !SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count))
            continue;
        for (DWORD_PTR i = 0; i < count; ++i) {
            TTTOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.lpszText = reinterpret_cast<wchar_t*>(remote + textOffset);
            std::vector<wchar_t> text(textBytes / sizeof(wchar_t), L'\0');
            DWORD_PTR found = 0;
            if (WriteProcessMemory(process, remote, &info, sizeof(info), nullptr) &&
                WriteProcessMemory(process, remote + textOffset, text.data(), textBytes, nullptr) &&
                SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                    2000, &found) &&
                found && ReadProcessMemory(process, remote, &info, sizeof(info), nullptr) &&
                info.hwnd == iconWindow &&
                ReadProcessMemory(process, remote + textOffset, text.data(), textBytes - sizeof(wchar_t), nullptr))
                tip = text.data();
        }
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return tip;
}

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace test
