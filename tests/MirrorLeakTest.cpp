// No leaks in either process: a hundred openings and closings of the mirror window over 300
// items leave the icons and GDI objects of the shell and of the tray, and the tray's windows,
// where they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/GlimpseboxWnd.h"
#include "app/SharedData.h"
#include "tests/support/GdiObjects.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestMirrorOwner.h"
#include "tests/support/TestSupport.h"

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Windows of this thread, top-level and owned (the tooltip is one).
int ThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// GDI objects the platform makes once, lazily, on a later opening; a leak of one object per
// opening shows as 99.
const int GdiWarmUp = 4;

struct ProcessHandle {
    HANDLE handle;
    explicit ProcessHandle(DWORD id) : handle(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)) {}
    ~ProcessHandle()
    {
        if (handle)
            CloseHandle(handle);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
};

} // namespace

TEST(MirrorLeaks, OpeningAndClosingAHundredTimesLeavesNothingBehind)
{
    std::string items;
    for (int i = 0; i < 300; ++i)
        items += test::ItemLine(10 + (i % 30) * 32, 10 + (i / 30) * 70, i % 3 ? "C03030" : "3050C0",
                                "Item " + std::to_string(i), i % 5 == 0);
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(items, L"--quiet"));
    test::TestMirrorOwner owner;
    owner.opts.Load();
    GlimpseboxWnd window(&owner);

    auto cycle = [&] {
        window.OpenFromTray();
        ASSERT_TRUE(window.IsOpen());
        UpdateWindow(window.GetHandle());
        ASSERT_EQ(window.Items().GetCount(), 300);
        PostMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(test::PumpUntil([&] { return !window.IsOpen(); }, 10000));
    };
    ProcessHandle shellProcess(shell.ProcessId());
    int shellGdi = test::GdiObjects(shellProcess.handle), trayGdi = test::GdiObjects(GetCurrentProcess());
    ASSERT_GT(shellGdi, 0);
    ASSERT_GT(trayGdi, 0);

    cycle();
    LONG shellIcons = GetSharedIconPixels()->shellIcons;
    unsigned trayIcons = DesktopMirror::IconsAlive();
    int windows = ThreadWindows();
    EXPECT_EQ(shellIcons, 300);
    EXPECT_EQ(trayIcons, 300u);
    // The pictures are kept for the next opening, in both processes.
    EXPECT_GE(test::GdiObjects(shellProcess.handle), shellGdi + 300);
    EXPECT_GE(test::GdiObjects(GetCurrentProcess()), trayGdi + 300);
    shellGdi = test::GdiObjects(shellProcess.handle);
    trayGdi = test::GdiObjects(GetCurrentProcess());

    for (int i = 0; i < 99; ++i)
        cycle();
    EXPECT_EQ(GetSharedIconPixels()->shellIcons, shellIcons);
    EXPECT_EQ(DesktopMirror::IconsAlive(), trayIcons);
    EXPECT_EQ(ThreadWindows(), windows);
    EXPECT_LE(test::GdiObjects(shellProcess.handle), shellGdi + GdiWarmUp);
    EXPECT_LE(test::GdiObjects(GetCurrentProcess()), trayGdi + GdiWarmUp);

    // A desktop that changes completely makes new pictures and gives the old ones back.
    std::string other;
    for (int i = 0; i < 300; ++i)
        other += test::ItemLine(20, 20, "30C030", "Other " + std::to_string(i));
    ASSERT_TRUE(shell.StartItems(other, L"--quiet"));
    ProcessHandle otherProcess(shell.ProcessId());
    int otherGdi = test::GdiObjects(otherProcess.handle);
    cycle();
    EXPECT_EQ(GetSharedIconPixels()->shellIcons, 300);
    EXPECT_EQ(DesktopMirror::IconsAlive(), 300u);
    int afterOther = test::GdiObjects(otherProcess.handle);
    for (int i = 0; i < 9; ++i)
        cycle();
    EXPECT_LE(test::GdiObjects(otherProcess.handle), afterOther + GdiWarmUp);
    EXPECT_GE(afterOther, otherGdi + 300);
    EXPECT_LE(test::GdiObjects(GetCurrentProcess()), trayGdi + GdiWarmUp);
}
