// No leaks in either process: a hundred openings and closings of the mirror window over 300
// items leave the icons of the shell and of the tray, and the tray's windows, where they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/BkgBitmapCache.h"
#include "app/GlimpseboxWnd.h"
#include "app/MirrorOwner.h"
#include "app/MyOpts.h"
#include "app/SharedData.h"
#include "sys/iPicture.h"
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

} // namespace

TEST(MirrorLeaks, OpeningAndClosingAHundredTimesLeavesNothingBehind)
{
    std::string items;
    for (int i = 0; i < 300; ++i) {
        items += std::to_string(10 + (i % 30) * 32) + "\t" + std::to_string(10 + (i / 30) * 70) + "\t" +
                 (i % 3 ? "C03030" : "3050C0") + "\t" + std::to_string(i % 5 == 0) + "\tItem " + std::to_string(i) + "\n";
    }
    test::StandinProcess shell;
    ASSERT_TRUE(shell.StartItems(items, L"--quiet"));
    test::TestMirrorOwner owner;
    owner.opts.Load();
    GlimpseboxWnd window(&owner);

    auto cycle = [&] {
        window.OpenFromTray();
        ASSERT_TRUE(window.IsOpen());
        ASSERT_EQ(window.Items().GetCount(), 300);
        PostMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(test::PumpUntil([&] { return !window.IsOpen(); }, 10000));
    };
    cycle();
    LONG shellIcons = GetSharedIconPixels()->shellIcons;
    unsigned trayIcons = DesktopMirror::IconsAlive();
    int windows = ThreadWindows();
    EXPECT_EQ(shellIcons, 300);
    EXPECT_EQ(trayIcons, 300u);

    for (int i = 0; i < 99; ++i)
        cycle();
    EXPECT_EQ(GetSharedIconPixels()->shellIcons, shellIcons);
    EXPECT_EQ(DesktopMirror::IconsAlive(), trayIcons);
    EXPECT_EQ(ThreadWindows(), windows);

    // A desktop that changes completely makes new pictures and gives the old ones back.
    std::string other;
    for (int i = 0; i < 300; ++i)
        other += "20\t20\t30C030\t0\tOther " + std::to_string(i) + "\n";
    ASSERT_TRUE(shell.StartItems(other, L"--quiet"));
    cycle();
    EXPECT_EQ(GetSharedIconPixels()->shellIcons, 300);
    EXPECT_EQ(DesktopMirror::IconsAlive(), 300u);
}
