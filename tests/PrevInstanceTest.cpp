// A second start finding, activating and closing an earlier instance that runs in another process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "app/Entry.h"
#include "sys/PrevInstance.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"

namespace {

bool BecomesForeground(HWND hwnd)
{
    return test::PumpUntil([hwnd] { return GetForegroundWindow() == hwnd; }, 5000);
}

HWND Popup(const wchar_t* text, DWORD style)
{
    return CreateWindowExW(0, L"STATIC", text, WS_POPUP | style, 600, 400, 50, 50, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The earlier instance: InstanceHelper.exe (tests/tools) and its windows, started for a window
// class of the test's own; and a window of this process that holds the foreground, so that
// every activation is a change.
class PrevInstance : public ::testing::Test {
protected:
    void Start(const std::wstring& windowClass)
    {
        ASSERT_TRUE(first.Start(L"InstanceHelper.exe", L"--class " + windowClass));
        std::string ready;
        ASSERT_TRUE(first.WaitForLine("ready ", &ready));
        for (const auto& w : {std::make_pair(&main, "main"), std::make_pair(&dialog, "dialog"),
                              std::make_pair(&twin, "twin"), std::make_pair(&plain, "plain")})
            *w.first = reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(test::Field(ready, w.second).c_str(), nullptr, 16)));
        // Settled: the helper has shown its windows and answers from its message loop.
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
        ASSERT_TRUE(TakeForeground());
    }
    void TearDown() override { DestroyWindow(holder); }
    bool TakeForeground()
    {
        DoActivateWindow(holder);
        return BecomesForeground(holder);
    }

    test::ChildProcess first;
    HWND main = nullptr, dialog = nullptr, twin = nullptr, plain = nullptr;
    HWND holder = Popup(L"holder", WS_VISIBLE);
};

} // namespace

TEST_F(PrevInstance, SecondStartFindsTheFirstByClassAndBringsItForward)
{
    Start(L"GlmbxTestInstanceA");
    size_t mark = first.Mark();
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceA", nullptr, 0), 1);
    // The earlier instance took the request itself (sub-code 3 with identity 0), asking nobody.
    EXPECT_TRUE(first.WaitForLine("activate window=main", nullptr, mark));
    EXPECT_TRUE(BecomesForeground(main));
    EXPECT_TRUE(first.LinesWith("identify", mark).empty());

    // Minimised, it is restored as well.
    ASSERT_TRUE(TakeForeground());
    ShowWindow(main, SW_MINIMIZE);
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceA", L"Instance", 0), 1);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsIconic(main); }, 5000));
    EXPECT_TRUE(BecomesForeground(main));

    // A window that does not answer is restored and activated by the caller.
    ASSERT_TRUE(TakeForeground());
    ShowWindow(plain, SW_MINIMIZE);
    mark = first.Mark();
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceAPlain", nullptr, 0), 1);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsIconic(plain); }, 5000));
    EXPECT_TRUE(BecomesForeground(plain));
    EXPECT_TRUE(first.LinesWith("activate", mark).empty());

    // The title must match too; an unknown class finds nothing.
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceA", L"Another title", 0) + ActivatePrevWnd(nullptr, nullptr, 0) +
                  ActivatePrevWnd(L"GlmbxTestNoSuchClass", nullptr, 0),
              0);
}

TEST_F(PrevInstance, DialogIsFoundByItsIdentityOnly)
{
    Start(L"GlmbxTestInstanceC");
    // Nobody claims 999: the product's own dialogs are asked and say no, the other
    // program's dialog is not touched, nothing comes forward.
    size_t mark = first.Mark();
    EXPECT_EQ(ActivatePrevDlg(999) + ActivatePrevDlg(0), 0);
    EXPECT_TRUE(first.LinesWith("activate", mark).empty());
    EXPECT_EQ(first.LinesWith("identify window=dialog id=999 answer=0", mark).size(), 1u);
    EXPECT_EQ(first.LinesWith("identify window=twin id=999 answer=0", mark).size(), 1u);
    EXPECT_EQ(GetForegroundWindow(), holder);

    const std::pair<WORD, HWND> claims[] = {{141, dialog}, {142, twin}};
    for (const auto& claim : claims) {
        mark = first.Mark();
        EXPECT_EQ(ActivatePrevDlg(claim.first), 1);
        EXPECT_TRUE(first.WaitForLine("activate window=" + std::string(claim.second == dialog ? "dialog" : "twin"),
                                      nullptr, mark));
        EXPECT_TRUE(BecomesForeground(claim.second)) << claim.first;
        EXPECT_EQ(first.LinesWith("activate", mark).size(), 1u);
    }
    // A minimised dialog is restored by the instance before it answers.
    ShowWindow(dialog, SW_MINIMIZE);
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_TRUE(BecomesForeground(dialog));

    // The start dialog's entry defers to an open start dialog.
    ASSERT_TRUE(TakeForeground());
    wchar_t cmdLine[] = L"";
    EXPECT_EQ(DoGlimpsebox(cmdLine, SW_SHOWNORMAL), 0);
    EXPECT_TRUE(BecomesForeground(dialog));
}

TEST_F(PrevInstance, BroadcastActivationAndClosing)
{
    Start(L"GlmbxTestInstanceF");
    EXPECT_EQ(ActivatePreviousInstance(141), dialog);
    EXPECT_EQ(ActivatePreviousInstance(142), twin);
    EXPECT_EQ(ActivatePreviousInstance(4242), nullptr);
    EXPECT_TRUE(first.LinesWith("activate window=main").empty());

    EXPECT_EQ(ClosePrevWnd(L"GlmbxTestInstanceF", L"Another title", 0), 0);
    EXPECT_EQ(ClosePrevWnd(L"GlmbxTestInstanceF", L"Instance", 0), 1);
    EXPECT_TRUE(first.WaitForLine("closed"));
    EXPECT_TRUE(first.WaitForEnd(10000));
    EXPECT_EQ(ClosePrevWnd(L"GlmbxTestInstanceF", nullptr, 0), 0);
}

TEST_F(PrevInstance, ProcessAllMessagesDispatchesAWindowsMessagesAndConsumesAQuit)
{
    test::PumpPending();
    HWND wnd = Popup(L"pump", 0);
    MSG msg;
    PostMessageW(wnd, WM_NULL, 0, 0);
    EXPECT_EQ(ProcessAllMessages(wnd), 1);
    EXPECT_FALSE(PeekMessageW(&msg, wnd, 0, 0, PM_NOREMOVE));
    PostQuitMessage(5);
    int code = 0;
    EXPECT_TRUE(ProcessAllMessages(nullptr, &code) == 0 && code == 5);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    DestroyWindow(wnd);
}
