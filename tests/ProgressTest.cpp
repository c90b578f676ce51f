// Progress reporting: the scaled range, the time left in words, the delayed dialog and its hand-over, Cancel through real clicks, the ticker and the shutdown wait.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "product/ProductInfo.h"
#include "sys/Progress.h"
#include "sys/ProgressTicker.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/RealInput.h"
#include "tests/support/Row.h"
#include "tests/support/TestSupport.h"

namespace {

// What a bar would have been told.
class RecordedProgress final : public ProgressEx {
public:
    void SetText(int, const wchar_t*, va_list) override {}
    void DoStepIt() override { ++steps; }
    void DoSetPos(int pos) override { position = pos; }
    void DoSetRange(int low, int high) override { min = low, max = high; }
    void ProcessAllMessages() override {}

    int steps = 0, position = -1, min = -1, max = -1;
};

HWND LineCtl(HWND dlg, int line)
{
    return GetDlgItem(dlg, ProgressDlg::FirstLineCtl + line);
}

// The dialog is ready before the system shows it: a click waits for it to be seen.
void Click(HWND ctl)
{
    ASSERT_TRUE(test::PumpUntil([&] { return IsWindowVisible(ctl) != FALSE; }, 5000));
    ASSERT_TRUE(test::Xdo(test::MoveTo(ctl) + " " + test::HeldClick(1)));
}

// Cancel clicked; the question it brings up, or null.
HWND AskToCancel(HWND dlg)
{
    Click(GetDlgItem(dlg, IDCANCEL));
    HWND box = nullptr;
    test::PumpUntil(
        [&] {
            box = FindWindowW(L"#32770", L"Glimpsebox");
            return box && GetWindow(box, GW_OWNER) == dlg && IsWindowVisible(box);
        },
        10000);
    return box;
}

} // namespace

TEST(Progress, RangesBeyondTheBarAreScaledAndOnlyWholeUnitsMoveIt)
{
    struct Case {
        long long min, max, pos;
        int scaledMin, scaledMax, scaledPos, stepsPerUnit;
    } cases[] = {{0, 65535, 32767, 0, 65535, 32767, 1},
                 {0, 65536, 32768, 0, 32768, 16384, 2},
                 {0, 200000, 100000, 0, 50000, 25000, 4},
                 {-100000, 100000, 50000, -25000, 25000, 12500, 4},
                 {0, 0x7FFFFFFFFFFFLL, 0x3FFFFFFFFFFFLL, 0, 65534, 32767, 0}};
    for (const Case& c : cases) {
        test::Row row(c.max);
        RecordedProgress progress;
        progress.Setup(c.min, c.max, c.pos);
        EXPECT_EQ(progress.min, c.scaledMin);
        EXPECT_EQ(progress.max, c.scaledMax);
        EXPECT_EQ(progress.position, c.scaledPos);
        if (!c.stepsPerUnit)
            continue;
        for (int i = 1; i < c.stepsPerUnit; ++i)
            EXPECT_FALSE(progress.StepIt());
        EXPECT_TRUE(progress.StepIt());
        EXPECT_EQ(progress.steps, 1);
        EXPECT_EQ(progress.GetPos(), c.scaledPos + 1);
    }
}

TEST(Progress, TimeLeftInWords)
{
    struct Case {
        unsigned seconds;
        const wchar_t* text;
    } cases[] = {{0, L""},
                 {59, L"59 seconds remaining"},
                 {60, L"1 minutes 0 seconds remaining"},
                 {3661, L"1 hours 1 minutes remaining"}};
    for (const Case& c : cases) {
        test::GuardedBuffer<wchar_t> buf(64, L"old");
        EXPECT_EQ(GetTextRemaining(c.seconds, buf.Data(), 64), c.seconds != 0);
        EXPECT_STREQ(buf.Data(), c.text);
    }
    test::GuardedBuffer<wchar_t> small(8);
    EXPECT_TRUE(GetTextRemaining(3661, small.Data(), 8));
    EXPECT_STREQ(small.Data(), L"1 hours");
    EXPECT_TRUE(small.GuardIntact());
}

TEST(Progress, WorkDoneBeforeTheDelayShowsNothing)
{
    test::RecordingWindow owner;
    {
        Progress progress(owner.Handle(), 60000);
        EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
        for (int i = 0; i < 100; ++i) {
            progress.SetText(0, L"item");
            progress.StepIt();
        }
        EXPECT_EQ(progress.GetDlgHWND(), nullptr);
        EXPECT_FALSE(progress.IsCanceled());
    }
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(Progress, WhatWasSetBeforeTheDialogIsHandedOver)
{
    DWORD start = GetTickCount();
    Progress progress(nullptr, 50, 600000);
    progress.SetTitle(L"Copying");
    progress.SetText(0, L"first");
    progress.SetText(3, L"last");
    progress.SetRange(0, 10);
    progress.StepIt();
    progress.StepIt();
    ASSERT_EQ(progress.GetDlgHWND(), nullptr);
    test::PumpUntil([&] { return GetTickCount() - start > 60; }, 1000);
    progress.StepIt();  // due now: the dialog comes with the three steps
    HWND dlg = progress.GetDlgHWND();
    ASSERT_NE(dlg, nullptr);
    HWND bar = GetDlgItem(dlg, ProgressDlg::BarCtl);
    EXPECT_EQ(test::Text(dlg), L"Copying");
    EXPECT_EQ(test::Text(LineCtl(dlg, 0)), L"first");
    EXPECT_EQ(test::Text(LineCtl(dlg, 3)), L"last");
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 10);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 3);
    // Texts come at most once per interval: this one is dropped.
    progress.SetText(0, L"second");
    EXPECT_EQ(test::Text(LineCtl(dlg, 0)), L"first");
    // The lines follow the bar's state.
    EnableWindow(bar, FALSE);
    EXPECT_FALSE(IsWindowEnabled(LineCtl(dlg, 2)));
    progress.Close();
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_FALSE(progress.IsCanceled());
}

TEST(Progress, CancelAsksAndOnlyYesCancels)
{
    {
        Progress progress(nullptr);
        HWND dlg = progress.GetDlgHWND();
        ASSERT_NE(dlg, nullptr);
        HWND box = AskToCancel(dlg);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(test::Text(GetDlgItem(box, 0xFFFF)), test::LibraryString(28008));
        Click(GetDlgItem(box, IDNO));
        EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(box); }, 5000));
        EXPECT_TRUE(IsWindowVisible(dlg));
        EXPECT_TRUE(progress.NextStep(0));

        // The work ends while the question is open: both go, and nothing was cancelled.
        ASSERT_NE(box = AskToCancel(dlg), nullptr);
        progress.Close();
        EXPECT_FALSE(IsWindow(box));
        EXPECT_FALSE(IsWindow(dlg));
        EXPECT_FALSE(progress.IsCanceled());
    }
    Progress progress(nullptr);
    HWND dlg = progress.GetDlgHWND();
    ASSERT_NE(dlg, nullptr);
    HWND box = AskToCancel(dlg);
    ASSERT_NE(box, nullptr);
    Click(GetDlgItem(box, IDYES));
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(dlg); }, 5000));
    EXPECT_TRUE(progress.IsCanceled());
    EXPECT_FALSE(progress.NextStep(0));
}

TEST(Progress, TheTickerReportsTheStepsTheBarMade)
{
    test::RecordingWindow parent;
    HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 100, 10, parent.Handle(), nullptr, nullptr,
                               nullptr);
    unsigned long made = 0;
    {
        ProgressTicker ticker(bar, 5, 1000, TRUE, &made);
        EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(test::PumpUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) >= 3; }, 10000));
    }
    EXPECT_EQ(made, static_cast<unsigned long>(SendMessageW(bar, PBM_GETPOS, 0, 0)));
    EXPECT_FALSE(GetWindowLongPtrW(bar, GWL_STYLE) & WS_VISIBLE);
    DestroyWindow(bar);
}

TEST(Progress, TheShutdownWaitStepsOncePerSecondUnlessCancelled)
{
    RecordedProgress progress;
    progress.SetRange64(0, 10);
    GetProductInfo()->ShutDownMyModules(nullptr, &progress, 2);
    EXPECT_EQ(progress.steps, 2);
    progress.Cancel(1);
    GetProductInfo()->ShutDownMyModules(nullptr, &progress, 30);
    EXPECT_EQ(progress.steps, 2);
}
