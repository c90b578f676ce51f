// The drawing aids: device-context owners, the timer and COLORRGB.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "tests/support/Pixels.h"
#include "tests/support/TestSupport.h"
#include "ui/COLORRGB.h"
#include "ui/CSDC.h"
#include "ui/CSTimer.h"

namespace {

const COLORREF Red = RGB(200, 0, 0), Blue = RGB(0, 0, 200), White = RGB(255, 255, 255);

TEST(CSDC, OwnedContextsAreDeletedAndBorrowedOnesRestoredAsAskedFor)
{
    HDC made, memory;
    {
        CSDC display;
        CompatibleDC compatible(nullptr);
        made = display;
        memory = compatible;
        EXPECT_TRUE(GetObjectType(made) == OBJ_DC && GetObjectType(memory) == OBJ_MEMDC);
    }
    EXPECT_EQ(GetObjectType(made) + GetObjectType(memory), 0u);
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, Red);
    { SetTextColor(CSDC(dc, TRUE), Blue); }
    EXPECT_EQ(GetTextColor(dc), Red);
    { SetTextColor(CSDC(dc, FALSE), Blue); }
    EXPECT_EQ(GetTextColor(dc), Blue);
    EXPECT_EQ(DeleteDC(dc), TRUE);  // borrowed, so still there
}

TEST(COLORRGB, LightnessOnTheColourDialogsScaleAndAnExactlyFilledRectangle)
{
    const std::pair<COLORREF, int> lightness[] = {{0, 0}, {White, 240}, {RGB(255, 0, 0), 120}, {RGB(10, 200, 30), 99}};
    for (const auto& l : lightness)
        EXPECT_EQ(COLORRGB(l.first).GetLuminosity(), l.second) << l.first;
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = test::TopDown32(8, 8);
    void* bits = nullptr;
    HGDIOBJ old = SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    COLORRGB(White).PaintRect(dc, 0, 0, 8, 8);
    EXPECT_TRUE(COLORRGB(Red).PaintRect(dc, 2, 3, 3, 2));
    EXPECT_TRUE(GetPixel(dc, 2, 3) == Red && GetPixel(dc, 4, 4) == Red);
    EXPECT_TRUE(GetPixel(dc, 5, 4) == White && GetPixel(dc, 4, 5) == White && GetPixel(dc, 1, 3) == White);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

UINT_PTR firedId;

void CALLBACK OnTimerTick(HWND, UINT, UINT_PTR id, DWORD)
{
    firedId = id;
}

TEST(CSTimer, TheTimersOwnIdWinsAndStoppingOrItsEndKillsIt)
{
    test::RecordingWindow target;
    HWND h = target.Handle();
    {
        CSTimer timer(5);
        ASSERT_TRUE(timer.Start(h, 10, nullptr, 9));
        EXPECT_TRUE(timer.GetID() == 5u && !KillTimer(h, 9));
        EXPECT_TRUE(test::PumpUntil([&] { return target.Count(WM_TIMER) > 0; }, 5000));
        timer.Stop();
        EXPECT_TRUE(!timer.IsTicking() && !KillTimer(h, 5));
        ASSERT_TRUE(timer.Start(h, 1000));
    }
    EXPECT_FALSE(KillTimer(h, 5));
    // A timer without a window is stopped by the id the system gave it.
    CSTimer windowless;
    ASSERT_TRUE(windowless.Start(nullptr, 10, OnTimerTick));
    ASSERT_TRUE(test::PumpUntil([] { return firedId != 0; }, 5000));
    windowless.Stop();
    EXPECT_FALSE(KillTimer(nullptr, firedId));
}

} // namespace
