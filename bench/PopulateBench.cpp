// The populate benchmark: a full read of 50, 300 and 1000 desktop items against the floor of
// as many bare hook round trips, measured in the same run. Prints the ratios.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/BkgBitmapCache.h"
#include "app/DesktopMirror.h"
#include "app/GlimpseboxWnd.h"
#include "app/MirrorOwner.h"
#include "app/MyOpts.h"
#include "sys/iPicture.h"
#include "app/SharedData.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestMirrorOwner.h"
#include "tests/support/TestSupport.h"
#include "ui/CSWnd.h"

namespace {

typedef HANDLE (*FloorInstallFn)(HWND);
typedef void (*FloorRemoveFn)();

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Items(int count)
{
    std::string text;
    const char* colors[] = {"C03030", "30A030", "3050C0", "D0A020"};
    for (int i = 0; i < count; ++i) {
        int x = 10 + (i % 40) * 25, y = 10 + (i / 40) * 25;
        text += std::to_string(x) + "\t" + std::to_string(y) + "\t" + colors[i % 4] + "\t" + std::to_string(i % 7 == 0) +
                "\tDesktop item number " + std::to_string(i) + "\n";
    }
    return text;
}


void PumpAll()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The mirror window over 300 items: opening against the populate floor plus one window
// creation, the area a pointer move repaints, and what an unchanged refresh allocates.
int WindowBench(int rounds, HWND floorWindow, FloorInstallFn floorInstall, FloorRemoveFn floorRemove, UINT floorMessage)
{
    const int count = 300;
    test::StandinProcess shell;
    if (!shell.StartItems(Items(count), L"--quiet"))
        return 1;
    (void)floorWindow;
    test::TestMirrorOwner owner;
    owner.opts.Load();
    GlimpseboxWnd window(&owner);
    window.OpenFromTray();
    window.Destroy();
    PumpAll();

    std::vector<double> open, floor, create, parts[3];
    for (int round = 0; round < rounds; ++round) {
        double start = Now();
        window.Open();
        double t1 = Now();
        window.Populate();
        double t2 = Now();
        UpdateWindow(window.GetHandle());
        double t3 = Now();
        open.push_back(t3 - start);
        parts[0].push_back(t1 - start);
        parts[1].push_back(t2 - t1);
        parts[2].push_back(t3 - t2);
        window.Destroy();
        PumpAll();

        {
            // The class's procedure serves only windows made through an object: a bare
            // CreateWindowExW of the class fails at once and would measure nothing.
            CSWnd empty;
            start = Now();
            bool made = empty.CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, GlimpseboxWnd::ClassName, L"", WS_POPUP, 0, 0,
                                       400, 300, nullptr) != 0;
            ShowWindow(empty.GetHandle(), SW_SHOWNOACTIVATE);
            UpdateWindow(empty.GetHandle());
            create.push_back(Now() - start);
            if (!made) {
                printf("the empty window could not be created\n");
                return 1;
            }
            empty.Destroy();
        }
        PumpAll();

        HANDLE answered = floorInstall(shell.ListView());
        start = Now();
        for (int i = 0; i < count; ++i) {
            PostMessageW(shell.ListView(), floorMessage, 0, i);
            WaitForSingleObject(answered, 5000);
        }
        floor.push_back(Now() - start);
        floorRemove();
    }
    double o = Median(open), f = Median(floor), c = Median(create);
    printf("\nmirror window, %d items (ms): open %.1f, populate floor %.1f + window creation %.1f; ratio %.2f "
           "(target 1.3)\n", count, o, f, c, o / (f + c));
    printf("  of the opening: creation %.1f, reading and placing %.1f, first painting %.1f\n", Median(parts[0]),
           Median(parts[1]), Median(parts[2]));

    // Hover: the pointer moves across 50 icons; each move should repaint two frames, not the window.
    window.OpenFromTray();
    UpdateWindow(window.GetHandle());
    RECT client;
    GetClientRect(window.GetHandle(), &client);
    double windowArea = static_cast<double>(client.right) * client.bottom, repainted = 0;
    int moves = 0;
    for (POS__* pos = window.Items().GetHeadPos(); pos && moves < 50; ++moves) {
        auto* item = static_cast<DesktopItem*>(window.Items().GetNext(pos));
        SendMessageW(window.GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(item->x + 8, item->y + 8));
        RECT update;
        if (GetUpdateRect(window.GetHandle(), &update, FALSE))
            repainted += static_cast<double>(update.right - update.left) * (update.bottom - update.top);
        UpdateWindow(window.GetHandle());
    }
    printf("hover across %d icons: repainted %.4f of the window per move (a frame is %.4f)\n", moves,
           repainted / moves / windowArea, 21.0 * 21.0 / windowArea);

    // An unchanged refresh: no new record, no new icon.
    unsigned icons = window.IconsMade();
    void* first = window.Items().GetHead();
    SendMessageW(window.GetHandle(), WM_SYSCOMMAND, GlimpseboxWnd::CmdRefresh, 0);
    printf("unchanged refresh: %u new icons, first record %s\n", window.IconsMade() - icons,
           window.Items().GetHead() == first ? "reused" : "new");
    window.Destroy();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    HMODULE floorLib = LoadLibraryW((test::ExeDir() + L"\\FloorHook.dll").c_str());
    auto floorInstall = reinterpret_cast<FloorInstallFn>(reinterpret_cast<void*>(GetProcAddress(floorLib, "FloorInstall")));
    auto floorRemove = reinterpret_cast<FloorRemoveFn>(reinterpret_cast<void*>(GetProcAddress(floorLib, "FloorRemove")));
    if (!floorInstall || !floorRemove) {
        printf("FloorHook.dll not found\n");
        return 1;
    }
    HWND window = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    UINT floorMessage = RegisterWindowMessageW(L"GlimpseboxBenchFloor");

    printf("populate benchmark: median of %d rounds, times in ms (per item in brackets)\n", rounds);
    printf("  first:  the first read of a new desktop (every record, icon and shell icon made)\n");
    printf("  open:   the read each opening of the mirror window does (records kept)\n");
    printf("  floor:  as many bare hook round trips: post, answer, event, nothing else\n");
    printf("%6s %18s %18s %18s %8s\n", "items", "first", "open", "floor", "ratio");
    int status = 0;
    for (int count : {50, 300, 1000}) {
        test::StandinProcess shell;
        if (!shell.StartItems(Items(count), L"--quiet")) {
            printf("stand-in shell did not start\n");
            return 1;
        }
        HWND listView = shell.ListView();

        DesktopMirror mirror;
        double start = Now();
        mirror.ReadDesktop(window);
        double first = Now() - start;
        if (mirror.Items().GetCount() != count)
            status = 1;

        std::vector<double> open, floor;
        for (int round = 0; round < rounds; ++round) {
            start = Now();
            mirror.ReadDesktop(window);
            open.push_back(Now() - start);
            if (mirror.Items().GetCount() != count)
                status = 1;
            DesktopMirror::RemoveHooks();

            HANDLE answered = floorInstall(listView);
            start = Now();
            for (int i = 0; i < count; ++i) {
                PostMessageW(listView, floorMessage, 0, i);
                WaitForSingleObject(answered, 5000);
            }
            floor.push_back(Now() - start);
            floorRemove();
        }
        double o = Median(open), f = Median(floor);
        printf("%6d %9.1f [%6.3f] %9.1f [%6.3f] %9.1f [%6.3f] %8.2f\n", count, first, first / count, o, o / count, f,
               f / count, o / f);
        fflush(stdout);
    }
    if (WindowBench(rounds, window, floorInstall, floorRemove, floorMessage))
        status = 1;
    DestroyWindow(window);
    return status;
}
