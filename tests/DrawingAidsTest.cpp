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

TEST(DrawingAids, OwnedContextsAreDeletedBorrowedOnesRestoredAndMissingWindowsGetNone)
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
    // A borrowed context stays; with "save" its state comes back, above a save level of the caller's own.
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, Red);
    int level = SaveDC(dc);
    { SetTextColor(CSDC(dc, TRUE), Blue); }
    EXPECT_EQ(GetTextColor(dc), Red);
    { SetTextColor(CSDC(dc, FALSE), Blue); }
    EXPECT_TRUE(GetTextColor(dc) == Blue && RestoreDC(dc, level));
    DeleteDC(dc);
    HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(ClientDC(gone).IsReady() || DCWindow(gone).IsReady());  // not the display's in their place
}

TEST(DrawingAids, ColourLightnessShadesAndAnExactlyFilledRectangle)
{
    // The colour dialog's lightness scale.
    const std::pair<COLORREF, int> lightness[] = {{RGB(0, 0, 0), 0}, {White, 240}, {RGB(255, 0, 0), 120}, {RGB(10, 200, 30), 99}};
    for (const auto& l : lightness)
        EXPECT_EQ(COLORRGB(l.first).GetLuminosity(), l.second) << l.first;
    COLORRGB shade(RGB(200, 101, 1));
    shade.MakeDark();
    EXPECT_EQ(static_cast<COLORREF>(shade), RGB(100, 50, 0));
    shade.MakeBright();
    EXPECT_EQ(static_cast<COLORREF>(shade), RGB(200, 100, 0));

    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = test::TopDown32(8, 8);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORRGB(White).PaintRect(dc, 0, 0, 8, 8);
    EXPECT_TRUE(COLORRGB(Red).PaintRect(dc, 2, 3, 3, 2));
    EXPECT_TRUE(GetPixel(dc, 2, 3) == Red && GetPixel(dc, 4, 4) == Red);
    EXPECT_TRUE(GetPixel(dc, 5, 4) == White && GetPixel(dc, 4, 5) == White && GetPixel(dc, 1, 3) == White);
    EXPECT_FALSE(COLORRGB(Red).PaintRect(nullptr, 0, 0, 1, 1));
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
}

UINT_PTR firedId;

void CALLBACK OnTimerTick(HWND, UINT, UINT_PTR id, DWORD)
{
    firedId = id;
}

TEST(DrawingAids, TheTimersOwnIdWinsAndStoppingOrItsEndKillsIt)
{
    test::RecordingWindow target;
    HWND h = target.Handle();
    {
        CSTimer timer(5);
        ASSERT_TRUE(timer.Start(h, 10, nullptr, 9));
        EXPECT_TRUE(timer.GetID() == 5u && timer.IsTicking() && !KillTimer(h, 9));
        EXPECT_TRUE(test::PumpUntil([&] { return target.Count(WM_TIMER) > 0; }, 5000));
        timer.Stop();
        EXPECT_TRUE(!timer.IsTicking() && !KillTimer(h, 5));
        ASSERT_TRUE(timer.Start(h, 1000));
    }
    EXPECT_FALSE(KillTimer(h, 5));
    // A timer without a window is stopped by the id the system gave it.
    firedId = 0;
    CSTimer windowless;
    ASSERT_TRUE(windowless.Start(nullptr, 10, OnTimerTick));
    ASSERT_TRUE(test::PumpUntil([] { return firedId != 0; }, 5000));
    windowless.Stop();
    EXPECT_FALSE(KillTimer(nullptr, firedId));
}

} // namespace
