// Finding icons of the notification area on the screen, and reading the tray's tooltips.
#include "tests/support/TrayArea.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "tests/support/Pixels.h"
#include "tests/support/TestSupport.h"

namespace test {

namespace {

struct TooltipSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTooltips(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<TooltipSearch*>(param);
    wchar_t cls[64] = L"";
    GetClassNameW(hwnd, cls, 64);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == search->process && lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0)
        search->found.push_back(hwnd);
    return TRUE;
}

// Memory in another process, released with it.
class RemoteBlock {
public:
    RemoteBlock(HANDLE processHandle, SIZE_T bytes)
        : process(processHandle), address(VirtualAllocEx(processHandle, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteBlock()
    {
        if (address)
            VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    BYTE* Address() const { return static_cast<BYTE*>(address); }
    bool Write(SIZE_T offset, const void* data, SIZE_T size)
    {
        SIZE_T done = 0;
        return WriteProcessMemory(process, Address() + offset, data, size, &done) && done == size;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size)
    {
        SIZE_T done = 0;
        return ReadProcessMemory(process, Address() + offset, data, size, &done) && done == size;
    }

private:
    HANDLE process;
    void* address;
};

} // namespace

HWND TrayWindow()
{
    // Explorer's own "Shell_TrayWnd" stays hidden; the X11 driver shows the icons in this one.
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    return tray ? tray : FindWindowW(nullptr, L"Wine System Tray");
}

bool FindTrayIcon(COLORREF colour, RECT* where)
{
    HWND tray = TrayWindow();
    RECT rc;
    if (!tray || !IsWindowVisible(tray) || !GetWindowRect(tray, &rc))
        return false;
    std::vector<COLORREF> pixels = ScreenPixels(rc);
    int width = rc.right - rc.left;
    RECT box = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != colour)
            continue;
        LONG x = rc.left + static_cast<LONG>(i % width);
        LONG y = rc.top + static_cast<LONG>(i / width);
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
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
    TooltipSearch search = {0, {}};
    if (!iconWindow || !GetWindowThreadProcessId(iconWindow, &search.process))
        return {};
    EnumWindows(CollectTooltips, reinterpret_cast<LPARAM>(&search));
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, search.process);
    if (!process)
        return {};
    const int textChars = 1024;
    const SIZE_T textOffset = (sizeof(TTTOOLINFOW) + 15) / 16 * 16;
    std::wstring tip;
    {
        RemoteBlock block(process, textOffset + textChars * sizeof(wchar_t));
        for (HWND tooltip : search.found) {
            DWORD_PTR count = 0;
            if (!block.Address() ||
                !SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count))
                continue;
            for (DWORD_PTR i = 0; i < count; ++i) {
                TTTOOLINFOW info = {};
                info.cbSize = sizeof(info);
                info.lpszText = reinterpret_cast<wchar_t*>(block.Address() + textOffset);
                std::vector<wchar_t> text(textChars, L'\0');
                DWORD_PTR found = 0;
                if (!block.Write(0, &info, sizeof(info)) || !block.Write(textOffset, text.data(), textChars * 2) ||
                    !SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(block.Address()),
                                         SMTO_ABORTIFHUNG, 2000, &found) ||
                    !found || !block.Read(0, &info, sizeof(info)) || info.hwnd != iconWindow ||
                    !block.Read(textOffset, text.data(), textChars * 2))
                    continue;
                text[textChars - 1] = 0;
                tip = text.data();
            }
        }
    }
    CloseHandle(process);
    return tip;
}

HWND FirstTrayIcon()
{
    HWND tray = TrayWindow();
    return tray ? GetWindow(tray, GW_CHILD) : nullptr;
}

POINT Centre(const RECT& rc)
{
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace test
