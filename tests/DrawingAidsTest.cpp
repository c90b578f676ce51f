// The drawing aids: device-context owners, the timer and COLORRGB.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/TestSupport.h"
#include "ui/COLORRGB.h"
#include "ui/CSDC.h"
#include "ui/CSTimer.h"

namespace {

const COLORREF Red = RGB(200, 0, 0);
const COLORREF Blue = RGB(0, 0, 200);

TEST(CSDC, AContextItMadeIsDeletedAndABorrowedOneIsNot)
{
    HDC made;
    {
        CSDC display;
        made = display;
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(GetObjectType(made), static_cast<DWORD>(OBJ_DC));
    }
    EXPECT_EQ(GetObjectType(made), 0u);

    HDC memory;
    {
        CompatibleDC compatible(nullptr);
        memory = compatible;
        ASSERT_NE(memory, nullptr);
        EXPECT_EQ(GetObjectType(memory), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(memory), 0u);

    HDC borrowed = CreateCompatibleDC(nullptr);
    { CSDC wrapped(borrowed, TRUE); }
    EXPECT_EQ(GetObjectType(borrowed), static_cast<DWORD>(OBJ_MEMDC));
    DeleteDC(borrowed);
}

TEST(CSDC, SavedStateIsRestoredAtTheEnd)
{
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, Red);
    {
        CSDC saved(dc, TRUE);
        SetTextColor(saved, Blue);
    }
    EXPECT_EQ(GetTextColor(dc), Red);
    {
        CSDC unsaved(dc, FALSE);
        SetTextColor(unsaved, Blue);
    }
    EXPECT_EQ(GetTextColor(dc), Blue);
    // A save level of the caller's own is left in place.
    int level = SaveDC(dc);
    { CSDC saved(dc, TRUE); }
    EXPECT_TRUE(RestoreDC(dc, level));
    DeleteDC(dc);
}

TEST(CSDC, WindowContextsOfAMissingWindowStayEmpty)
{
    HWND gone = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    {
        ClientDC client(gone);
        DCWindow whole(gone);
        EXPECT_TRUE(client.IsReady());
        EXPECT_TRUE(whole.IsReady());
        SetTextColor(client, Blue);
    }
    DestroyWindow(gone);
    // Not the display's context in their place.
    ClientDC client(gone);
    DCWindow whole(gone);
    EXPECT_FALSE(client.IsReady());
    EXPECT_FALSE(whole.IsReady());
}

TEST(COLORRGB, ComponentsLieInCOLORREFOrder)
{
    COLORRGB color(RGB(10, 20, 30));
    EXPECT_EQ(sizeof(COLORRGB), sizeof(COLORREF));
    EXPECT_EQ(color.red, 10);
    EXPECT_EQ(color.green, 20);
    EXPECT_EQ(color.blue, 30);
    color.blue = 40;
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(10, 20, 40));
}

TEST(COLORRGB, LuminosityUsesTheColourDialogScale)
{
    EXPECT_EQ(COLORRGB(RGB(0, 0, 0)).GetLuminosity(), 0);
    EXPECT_EQ(COLORRGB(RGB(255, 255, 255)).GetLuminosity(), 240);
    EXPECT_EQ(COLORRGB(RGB(255, 0, 0)).GetLuminosity(), 120);
    EXPECT_EQ(COLORRGB(RGB(10, 200, 30)).GetLuminosity(), 99);
}

TEST(COLORRGB, DarkAndBrightShadesStayInRange)
{
    COLORRGB color(RGB(200, 101, 1));
    color.MakeDark();
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(100, 50, 0));
    color.MakeBright();
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(200, 100, 0));
    color.MakeBright();
    EXPECT_EQ(static_cast<COLORREF>(color), RGB(255, 200, 0));
}

TEST(COLORRGB, PaintRectFillsExactlyItsRectangle)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = 8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORRGB(RGB(255, 255, 255)).PaintRect(dc, 0, 0, 8, 8);
    EXPECT_TRUE(COLORRGB(Red).PaintRect(dc, 2, 3, 3, 2));
    EXPECT_EQ(GetPixel(dc, 2, 3), Red);
    EXPECT_EQ(GetPixel(dc, 4, 4), Red);
    EXPECT_EQ(GetPixel(dc, 5, 4), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 4, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 1, 3), RGB(255, 255, 255));
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
