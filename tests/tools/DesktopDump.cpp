// DesktopDump: reads the desktop through GLMBX32.DLL as the tray does and prints every item.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/DesktopMirror.h"
#include "app/SharedData.h"

namespace {

void Print(const std::wstring& text)
{
    // UTF-8 on standard output, whatever the console's code page.
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

int wmain()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"DesktopDump", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ResetSharedRequest();
    DesktopMirror mirror;
    bool read = mirror.ReadDesktop(window);
    DesktopMirror::RemoveHooks();
    if (!read) {
        Print(L"no desktop list view found (is the shell running?)\n");
        return 1;
    }
    Print(L"desktop items read through the hooks: " + std::to_wstring(mirror.Items().GetCount()) + L"\n");
    for (POS__* pos = mirror.Items().GetHeadPos(); pos;) {
        const DesktopItem* item = static_cast<const DesktopItem*>(mirror.Items().GetNext(pos));
        wchar_t line[512];
        swprintf(line, 512, L"  %3d  icon at (%4ld,%4ld)-(%4ld,%4ld)  %-8ls %ls\n", item->item, item->rcDesktop.left,
                 item->rcDesktop.top, item->rcDesktop.right, item->rcDesktop.bottom,
                 item->hIcon ? L"picture" : L"no icon", item->label);
        Print(line);
    }
    DestroyWindow(window);
    return 0;
}
