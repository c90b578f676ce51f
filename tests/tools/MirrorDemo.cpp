// MirrorDemo: opens the mirror window over the desktop as the tray does, prints the items it
// read through the hooks, and keeps the window open until it closes or the time is up.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/BkgBitmapCache.h"
#include "app/GlimpseboxWnd.h"
#include "app/MirrorOwner.h"
#include "app/MyOpts.h"
#include "sys/iPicture.h"

namespace {

// The tray application's part, until the tray application holds the window itself.
class DemoOwner : public MirrorOwner {
public:
    virtual ~DemoOwner() = default;
    MyOpts opts;
    BkgBitmapCache cache;
    iPicture picture;
    const MyOpts& GetOptions() override { return opts; }
    HBITMAP GetBackground(int width, int height) override { return cache.Get(opts, picture, width, height); }
    HWND GetTrayWindow() override { return nullptr; }
    const MSG* GetCurrentMessage() override { return nullptr; }
};

void Print(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    DWORD seconds = argc > 1 ? static_cast<DWORD>(_wtoi(argv[1])) : 60;
    DemoOwner owner;
    owner.opts.Load();
    GlimpseboxWnd window(&owner);
    window.OpenFromTray();
    if (!window.IsOpen()) {
        Print(L"the mirror window could not be opened\n");
        return 1;
    }
    Print(L"desktop items read through the hooks: " + std::to_wstring(window.Items().GetCount()) + L"\n");
    for (POS__* pos = window.Items().GetHeadPos(); pos;) {
        const DesktopItem* item = static_cast<const DesktopItem*>(window.Items().GetNext(pos));
        wchar_t line[512];
        swprintf(line, 512, L"  %3d  desktop icon (%4ld,%4ld)  mirror icon (%3d,%3d)  %-7ls %ls\n", item->item,
                 item->rcDesktop.left, item->rcDesktop.top, item->x, item->y, item->hIcon ? L"picture" : L"-",
                 item->label);
        Print(line);
    }
    UpdateWindow(window.GetHandle());
    Print(L"mirror window open\n");

    DWORD end = GetTickCount() + seconds * 1000;
    while (window.IsOpen() && GetTickCount() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
