// A second start finding, activating and closing an earlier instance that runs in another process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/Entry.h"
#include "product/ProductInfo.h"
#include "sys/PrevInstance.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"

namespace {

// InstanceHelper.exe (tests/tools) with its log; stopped at the end of every test.
class EarlierInstance {
public:
    explicit EarlierInstance(const wchar_t* windowClass) : className(windowClass) {}
    ~EarlierInstance() { Stop(); }
    EarlierInstance(const EarlierInstance&) = delete;
    EarlierInstance& operator=(const EarlierInstance&) = delete;

    bool Start()
    {
        std::wstring dir = test::NewTempDir(L"instance");
        logPath = dir + L"\\instance.log";
        std::wstring exe = test::ExeDir() + L"\\InstanceHelper.exe";
        std::wstring command = L"\"" + exe + L"\" --log \"" + logPath + L"\" --class " + className;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
            return false;
        std::string ready;
        if (!WaitForLine("ready ", &ready))
            return false;
        const std::pair<HWND*, const char*> windows[] = {
            {&main, "main"}, {&dialog, "dialog"}, {&twin, "twin"}, {&other, "other"}, {&plain, "plain"}};
        for (const auto& w : windows) {
            if (!(*w.first = Window(ready, w.second)))
                return false;
        }
        // Settled: the helper has shown its windows and answers from its message loop.
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0;
    }

    bool Ended(DWORD timeoutMs)
    {
        return test::PumpUntil([this] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
    }

    void Stop()
    {
        if (!pi.hProcess)
            return;
        if (IsWindow(main))
            PostMessageW(main, WM_CLOSE, 0, 0);
        if (!Ended(5000)) {
            TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 10000);
        }
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        pi = {};
    }

    // The lines after the first `from` that start with prefix.
    std::vector<std::string> LinesWith(const std::string& prefix, size_t from = 0) const
    {
        return test::LogLinesWith(logPath, prefix, from);
    }
    bool WaitForLine(const std::string& prefix, std::string* line = nullptr, size_t from = 0) const
    {
        return test::WaitForLogLine(logPath, prefix, line, from, 15000);
    }
    size_t Mark() const { return test::ReadLogLines(logPath).size(); }

    HWND main = nullptr, dialog = nullptr, twin = nullptr, other = nullptr, plain = nullptr;
    std::wstring className;

private:
    static HWND Window(const std::string& line, const std::string& key)
    {
        return reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(test::Field(line, key).c_str(), nullptr, 16)));
    }

    std::wstring logPath;
    PROCESS_INFORMATION pi = {};
};

bool BecomesForeground(HWND hwnd)
{
    return test::PumpUntil([hwnd] { return GetForegroundWindow() == hwnd; }, 5000);
}

// A window of this process takes the foreground, so that every activation below is a change.
class ForegroundHolder {
public:
    ForegroundHolder()
    {
        hwnd = CreateWindowExW(0, L"STATIC", L"holder", WS_POPUP | WS_VISIBLE, 600, 400, 50, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    ~ForegroundHolder() { DestroyWindow(hwnd); }
    ForegroundHolder(const ForegroundHolder&) = delete;
    ForegroundHolder& operator=(const ForegroundHolder&) = delete;

    bool Take()
    {
        DoActivateWindow(hwnd);
        return BecomesForeground(hwnd);
    }

    HWND hwnd;
};

} // namespace

TEST(PrevInstance, SecondStartFindsTheFirstByClassAndBringsItForward)
{
    EarlierInstance first(L"GlmbxTestInstanceA");
    ASSERT_TRUE(first.Start());
    ForegroundHolder holder;
    ASSERT_TRUE(holder.Take());

    size_t mark = first.Mark();
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceA", nullptr, 0), 1);
    // The earlier instance took the request itself (sub-code 3 with identity 0).
    EXPECT_TRUE(first.WaitForLine("activate window=main", nullptr, mark));
    EXPECT_TRUE(BecomesForeground(first.main));
    EXPECT_TRUE(first.LinesWith("identify", mark).empty());  // identity 0 asks nobody

    // Minimised, it is restored as well.
    ASSERT_TRUE(holder.Take());
    ShowWindow(first.main, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first.main));
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceA", L"Instance", 0), 1);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsIconic(first.main); }, 5000));
    EXPECT_TRUE(BecomesForeground(first.main));

    // The title must match too; an unknown class finds nothing.
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceA", L"Another title", 0), 0);
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestNoSuchClass", nullptr, 0), 0);
    EXPECT_EQ(ActivatePrevWnd(nullptr, nullptr, 0), 0);
}

TEST(PrevInstance, WindowThatDoesNotAnswerIsRestoredAndActivatedByTheCaller)
{
    EarlierInstance first(L"GlmbxTestInstanceB");
    ASSERT_TRUE(first.Start());
    ForegroundHolder holder;
    ASSERT_TRUE(holder.Take());

    ShowWindow(first.plain, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first.plain));
    EXPECT_EQ(ActivatePrevWnd(L"GlmbxTestInstanceBPlain", nullptr, 0), 1);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsIconic(first.plain); }, 5000));
    EXPECT_TRUE(BecomesForeground(first.plain));
    EXPECT_TRUE(first.LinesWith("activate").empty());
}

TEST(PrevInstance, DialogIsFoundByItsIdentityOnly)
{
    EarlierInstance first(L"GlmbxTestInstanceC");
    ASSERT_TRUE(first.Start());
    ForegroundHolder holder;
    ASSERT_TRUE(holder.Take());

    // Nobody claims 999: the product's own dialogs are asked and say no, the other
    // program's dialog is not touched, nothing comes forward.
    size_t mark = first.Mark();
    EXPECT_EQ(ActivatePrevDlg(999), 0);
    EXPECT_TRUE(first.LinesWith("activate", mark).empty());
    EXPECT_EQ(first.LinesWith("identify window=dialog id=999 answer=0", mark).size(), 1u);
    EXPECT_EQ(first.LinesWith("identify window=twin id=999 answer=0", mark).size(), 1u);
    EXPECT_EQ(GetForegroundWindow(), holder.hwnd);
    // A dialog without identity is never found, whatever dialogs are open.
    EXPECT_EQ(ActivatePrevDlg(0), 0);

    mark = first.Mark();
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    EXPECT_TRUE(first.WaitForLine("activate window=dialog", nullptr, mark));
    EXPECT_TRUE(BecomesForeground(first.dialog));
    EXPECT_EQ(first.LinesWith("identify window=dialog id=141 answer=1", mark).size(), 1u);
    EXPECT_TRUE(first.LinesWith("activate window=twin", mark).empty());
    EXPECT_TRUE(first.LinesWith("active window=other", mark).empty());

    // The twin claims the next number.
    mark = first.Mark();
    EXPECT_EQ(ActivatePrevDlg(142), 1);
    EXPECT_TRUE(first.WaitForLine("activate window=twin", nullptr, mark));
    EXPECT_TRUE(BecomesForeground(first.twin));

    // A minimised dialog is restored by the instance before it answers.
    ShowWindow(first.dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(first.dialog));
    EXPECT_EQ(ActivatePrevDlg(141), 1);
    EXPECT_FALSE(IsIconic(first.dialog));
    EXPECT_TRUE(BecomesForeground(first.dialog));
}

TEST(PrevInstance, StartDialogEntryDefersToAnOpenStartDialog)
{
    EarlierInstance first(L"GlmbxTestInstanceE");
    ASSERT_TRUE(first.Start());
    size_t mark = first.Mark();
    wchar_t cmdLine[] = L"";
    EXPECT_EQ(DoGlimpsebox(cmdLine, SW_SHOWNORMAL), 0);
    EXPECT_TRUE(first.WaitForLine("activate window=dialog", nullptr, mark));
    EXPECT_TRUE(BecomesForeground(first.dialog));
}

TEST(PrevInstance, BroadcastActivationReturnsTheWindowThatTookIt)
{
    EarlierInstance first(L"GlmbxTestInstanceF");
    ASSERT_TRUE(first.Start());
    EXPECT_EQ(ActivatePreviousInstance(141), first.dialog);
    EXPECT_EQ(ActivatePreviousInstance(142), first.twin);
    EXPECT_EQ(ActivatePreviousInstance(4242), nullptr);
    EXPECT_TRUE(first.LinesWith("activate window=main").empty());
}

TEST(PrevInstance, ClosePrevWndEndsTheEarlierInstance)
{
    EarlierInstance first(L"GlmbxTestInstanceG");
    ASSERT_TRUE(first.Start());
    EXPECT_EQ(ClosePrevWnd(L"GlmbxTestInstanceG", L"Another title", 0), 0);
    EXPECT_EQ(ClosePrevWnd(L"GlmbxTestInstanceG", L"Instance", 0), 1);
    EXPECT_TRUE(first.WaitForLine("closed"));
    EXPECT_TRUE(first.Ended(10000));
    EXPECT_EQ(ClosePrevWnd(L"GlmbxTestInstanceG", nullptr, 0), 0);
}

TEST(PrevInstance, AnsweringSideIgnoresEverythingButItsOwnRequest)
{
    HWND wnd = CreateWindowExW(0, L"STATIC", L"answer", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    UINT my = ProductInfo::GetMyMessage();
    EXPECT_EQ(OnActivatePreviousInstance(141, wnd, my, MyMsgActivate, 142), 0);
    EXPECT_EQ(OnActivatePreviousInstance(141, wnd, my, MyMsgIdentify, 141), 0);
    EXPECT_EQ(OnActivatePreviousInstance(141, wnd, WM_USER, MyMsgActivate, 141), 0);
    EXPECT_EQ(OnActivatePreviousInstance(141, nullptr, my, MyMsgActivate, 141), 0);

    ShowWindow(wnd, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(wnd));
    EXPECT_EQ(OnActivatePreviousInstance(141, wnd, my, MyMsgActivate, 141), 1);
    EXPECT_FALSE(IsIconic(wnd));
    EXPECT_TRUE(BecomesForeground(wnd));
    DestroyWindow(wnd);
}

TEST(PrevInstance, ProcessAllMessagesConsumesQuit)
{
    test::PumpPending();
    HWND wnd = CreateWindowExW(0, L"STATIC", L"pump", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    PostMessageW(wnd, WM_NULL, 0, 0);
    EXPECT_EQ(ProcessAllMessages(wnd), 1);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, wnd, 0, 0, PM_NOREMOVE));

    PostQuitMessage(5);
    int code = 0;
    EXPECT_EQ(ProcessAllMessages(nullptr, &code), 0);
    EXPECT_EQ(code, 5);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    DestroyWindow(wnd);
}
