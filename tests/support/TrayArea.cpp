// The icons of the notification area and the tips the tray shows for them.
#include "tests/support/TrayArea.h"

#include <commctrl.h>

#include <vector>

namespace test {

HWND TrayWindow()
{
    // Explorer's own "Shell_TrayWnd" stays hidden; the X11 driver shows the icons in this one.
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    return tray ? tray : FindWindowW(nullptr, L"Wine System Tray");
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

HWND TrayIconWithTip(const std::wstring& tip)
{
    HWND tray = TrayWindow();
    for (HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr; icon; icon = GetWindow(icon, GW_HWNDNEXT)) {
        if (IsWindowVisible(icon) && TrayTipOf(icon) == tip)
            return icon;
    }
    return nullptr;
}

} // namespace test
