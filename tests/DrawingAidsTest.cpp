// The drawing aids: device-context owners, the timer and COLORRGB.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "tests/support/TestSupport.h"
#include "ui/COLORRGB.h"
#include "ui/CSDC.h"
#include "ui/CSTimer.h"

namespace {

const COLORREF Red = RGB(200, 0, 0);
const COLORREF Blue = RGB(0, 0, 200);

TEST(CSDC, OwnedContextsAreDeletedBorrowedOnesRestoredAndMissingWindowsGetNone)
{
    HDC made, memory;
    {
        CSDC display;
        CompatibleDC compatible(nullptr);
        made = display;
        memory = compatible;
        EXPECT_EQ(GetObjectType(made), static_cast<DWORD>(OBJ_DC));
        EXPECT_EQ(GetObjectType(memory), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(made) + GetObjectType(memory), 0u);

    // A borrowed context stays; with "save", its state comes back at the end.
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, Red);
    { SetTextColor(CSDC(dc, TRUE), Blue); }
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetTextColor(dc), Red);
    { SetTextColor(CSDC(dc, FALSE), Blue); }
    EXPECT_EQ(GetTextColor(dc), Blue);
    int level = SaveDC(dc);  // a save level of the caller's own is left in place
    { CSDC saved(dc, TRUE); }
    EXPECT_TRUE(RestoreDC(dc, level));
    DeleteDC(dc);

    HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(ClientDC(gone).IsReady() && DCWindow(gone).IsReady());
    DestroyWindow(gone);
    EXPECT_FALSE(ClientDC(gone).IsReady() || DCWindow(gone).IsReady());  // not the display's in their place
}

TEST(COLORRGB, ComponentsLuminosityShadesAndPainting)
{
    COLORRGB color(RGB(10, 20, 30));
    EXPECT_EQ(sizeof(COLORRGB), sizeof(COLORREF));
    EXPECT_TRUE(color.red == 10 && color.green == 20 && color.blue == 30);
    color.blue = 40;
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(10, 20, 40));
    // The colour dialog's scale.
    const std::pair<COLORREF, int> luminosity[] = {
        {RGB(0, 0, 0), 0}, {RGB(255, 255, 255), 240}, {RGB(255, 0, 0), 120}, {RGB(10, 200, 30), 99}};
    for (const auto& l : luminosity)
        EXPECT_EQ(COLORRGB(l.first).GetLuminosity(), l.second);
    // Shades stay in range.
    color = COLORRGB(RGB(200, 101, 1));
    color.MakeDark();
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(100, 50, 0));
    color.MakeBright();
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(200, 100, 0));
    color.MakeBright();
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(255, 200, 0));

    // PaintRect fills exactly its rectangle.
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), 8, 8, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF white = RGB(255, 255, 255);
    COLORRGB(white).PaintRect(dc, 0, 0, 8, 8);
    EXPECT_TRUE(COLORRGB(Red).PaintRect(dc, 2, 3, 3, 2));
    EXPECT_TRUE(GetPixel(dc, 2, 3) == Red && GetPixel(dc, 4, 4) == Red);
    EXPECT_TRUE(GetPixel(dc, 5, 4) == white && GetPixel(dc, 4, 5) == white && GetPixel(dc, 1, 3) == white);
    EXPECT_FALSE(COLORRGB(Red).PaintRect(nullptr, 0, 0, 1, 1));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(CSTimer, TheConstructorsIdWinsAndTheEndStopsIt)
{
    test::RecordingWindow target;
    HWND h = target.Handle();
    {
        CSTimer timer(5);
        ASSERT_TRUE(timer.Start(h, 10, nullptr, 9));
        EXPECT_EQ(timer.GetID(), 5u);
        EXPECT_TRUE(timer.IsTicking());
        EXPECT_FALSE(KillTimer(h, 9));
        EXPECT_TRUE(test::PumpUntil([&] { return target.Count(WM_TIMER) > 0; }, 5000));

        // Restarting keeps the same timer; stopping ends it.
        ASSERT_TRUE(timer.Start(h, 20));
        EXPECT_EQ(timer.GetID(), 5u);
        timer.Stop();
        EXPECT_FALSE(timer.IsTicking());
        EXPECT_FALSE(KillTimer(h, 5));

        ASSERT_TRUE(timer.Start(h, 1000));
    }
    EXPECT_FALSE(KillTimer(h, 5));

    CSTimer fresh;
    ASSERT_TRUE(fresh.Start(h, 1000, nullptr, 9));
    EXPECT_EQ(fresh.GetID(), 9u);
}

UINT_PTR firedId;

void CALLBACK OnTimerTick(HWND, UINT, UINT_PTR id, DWORD)
{
    firedId = id;
}

TEST(CSTimer, AWindowlessTimerIsStoppedByWhatTheSystemNamedIt)
{
    firedId = 0;
    CSTimer timer;
    ASSERT_TRUE(timer.Start(nullptr, 10, OnTimerTick));
    ASSERT_TRUE(test::PumpUntil([] { return firedId != 0; }, 5000));
    timer.Stop();
    EXPECT_FALSE(timer.IsTicking());
    EXPECT_FALSE(KillTimer(nullptr, firedId));
}

} // namespace
