// Worker threads (ready, done and cancel; waits that keep windows alive; bounds), the idle
// monitor, events, mutexes, the single-instance marker, and a second start finding, activating
// and closing an earlier instance that runs in another process.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Entry.h"
#include "sys/CSThread.h"
#include "sys/PrevInstance.h"
#include "sys/SyncObjects.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/StandinProcess.h"
#include "tests/support/TestSupport.h"

namespace {

// A window of the test's thread that records WM_APP messages (message, wParam, whether sent),
// answers each with its number and sets postedSignal at each posted one. One at a time.
class AppMessageWindow {
public:
    AppMessageWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"GlmbxTestAppMessageWindow";
        RegisterClassW(&wc);
        current = this;
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~AppMessageWindow() { DestroyWindow(hwnd); }
    int Count(UINT msg) const
    {
        return int(std::count_if(received.begin(), received.end(), [msg](const auto& r) { return std::get<0>(r) == msg; }));
    }

    HWND hwnd;
    std::vector<std::tuple<UINT, WPARAM, bool>> received;
    HANDLE postedSignal = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg < WM_APP || msg >= 0xC000)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        current->received.emplace_back(msg, wParam, InSendMessage() != FALSE);
        if (!InSendMessage() && current->postedSignal)
            SetEvent(current->postedSignal);
        return msg;
    }
    static inline AppMessageWindow* current = nullptr;
};

// A worker whose work is a function of the test.
class Worker : public CSThreadEx {
public:
    explicit Worker(std::function<unsigned long(Worker&)> work) : body(std::move(work)) {}
    ~Worker() override { Destroy(100); }
    unsigned long DoThreadEx() override { return body(*this); }
    HANDLE Handle() const { return thread; }

private:
    std::function<unsigned long(Worker&)> body;
};

struct Gate {
    HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Gate() { CloseHandle(open); }
    unsigned long operator()(Worker&) const { return WaitForSingleObject(open, INFINITE) == WAIT_OBJECT_0 ? 42 : 0; }
};

HANDLE lateGate = nullptr;
void CALLBACK OpenLateGate(HWND, UINT, UINT_PTR, DWORD) { SetEvent(lateGate); }

// A bare thread procedure that forgets to set ready (and done).
unsigned __stdcall SilentWorker(void* gate)
{
    return WaitForSingleObject(static_cast<Gate*>(gate)->open, INFINITE);
}

std::wstring UniqueName(const wchar_t* base)
{
    return std::wstring(base) + std::to_wstring(GetCurrentProcessId());
}

bool Exists(HANDLE opened)
{
    if (opened)
        CloseHandle(opened);
    return opened != nullptr;
}


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

TEST(CSThread, ReadyDoneResultAndStop)
{
    CSThreadEx idle;  // without a thread everything answers at once
    EXPECT_FALSE(idle.IsRunning());
    EXPECT_TRUE(idle.IsReady() && idle.IsDone() && idle.IsCanceled());
    EXPECT_TRUE(idle.WaitForDone(INFINITE) && idle.WaitForThread(INFINITE) && idle.Destroy(INFINITE) && idle.Stop());

    Gate gate;
    Worker worker(std::ref(gate));
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.IsRunning() && worker.IsReady());  // Start returns once the worker has set ready
    EXPECT_FALSE(worker.IsDone() || worker.IsCanceled() || worker.WaitForDone(0));
    SetEvent(gate.open);
    EXPECT_TRUE(worker.WaitForDone(20) && worker.IsDone() && worker.WaitForThread(10000));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(worker.Handle(), &code) && code == 42u);
    EXPECT_TRUE(worker.Stop() && !worker.IsRunning());
    ResetEvent(gate.open);  // the object can run again; the events start over
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.IsDone() || worker.Start());  // one thread at a time
    SetEvent(gate.open);
    EXPECT_TRUE(worker.WaitForDone(20));

    // Stop cancels and returns once the worker is done, and for one that ends at once.
    std::atomic<bool> sawCancel{false};
    Worker polling([&](Worker& self) {
        while (!self.IsCanceled())
            Sleep(1);
        sawCancel = true;
        return 0ul;
    });
    Worker quick([](Worker&) { return 0ul; });
    ASSERT_TRUE(polling.Start() && quick.Start());
    EXPECT_TRUE(polling.Stop() && sawCancel && quick.Stop());
    EXPECT_FALSE(polling.IsRunning() || quick.IsRunning());
}

TEST(CSThread, WaitKeepsTheCallersWindowsAliveAndPostsAQuitAgain)
{
    AppMessageWindow window;
    Gate posted;
    window.postedSignal = posted.open;
    DWORD owner = GetCurrentThreadId();
    DWORD_PTR sentAnswer = 0;
    bool sendWorked = false, postSeen = false;
    // The worker needs the waiting thread twice: to answer a sent message, and to dispatch a
    // posted one before it goes on. Without a live message loop it would never finish.
    Worker worker([&](Worker&) {
        sendWorked = SendMessageTimeoutW(window.hwnd, WM_APP + 1, 7, 0, SMTO_NORMAL, 10000, &sentAnswer) != 0;
        PostMessageW(window.hwnd, WM_APP + 2, 8, 0);
        PostThreadMessageW(owner, WM_QUIT, 7, 0);
        postSeen = WaitForSingleObject(posted.open, 10000) == WAIT_OBJECT_0;
        return 0ul;
    });
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.WaitForDone(5));  // a short time-out only spaces the pumps: the wait lasts until done
    EXPECT_TRUE(sendWorked && postSeen && sentAnswer == WM_APP + 1);
    EXPECT_EQ(window.received, (decltype(window.received){{WM_APP + 1, 7, true}, {WM_APP + 2, 8, false}}));
    MSG msg;  // the quit that the wait met is there again for the caller's own loop
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(CSThread, GivingUpOnWorkersThatIgnoreCancelOrNeverSetReady)
{
    Gate release, later;
    Worker stubborn(std::ref(release));
    stubborn.SetGiveUpTime(200);
    ASSERT_TRUE(stubborn.Start());
    EXPECT_FALSE(stubborn.Destroy(50) || stubborn.Destroy(0));
    EXPECT_TRUE(stubborn.IsRunning() && stubborn.IsCanceled());  // still known, so it can be waited for again
    SetEvent(release.open);
    stubborn.SetGiveUpTime(CSThread::DefaultGiveUpMs);
    EXPECT_TRUE(stubborn.Destroy(50) && !stubborn.IsRunning());

    // The destructor waits for a late worker past the give-up time, pumping the timer that frees it.
    auto* late = new Worker(std::ref(later));
    late->SetGiveUpTime(200);
    ASSERT_TRUE(late->Start());
    lateGate = later.open;
    UINT_PTR timer = SetTimer(nullptr, 0, 1000, OpenLateGate);
    delete late;
    KillTimer(nullptr, timer);
    EXPECT_EQ(WaitForSingleObject(later.open, 0), WAIT_OBJECT_0);

    // Create gives up on a worker that never sets ready; its end is enough for Destroy.
    ResetEvent(release.open);
    CSThread silent;
    silent.SetGiveUpTime(200);
    ASSERT_TRUE(silent.Create(SilentWorker, &release, THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_TRUE(silent.IsRunning() && !silent.IsReady());
    SetEvent(release.open);
    silent.SetGiveUpTime(CSThread::DefaultGiveUpMs);
    EXPECT_TRUE(silent.Destroy(50));
    EXPECT_FALSE(silent.IsRunning() || silent.Create(nullptr, nullptr, 0));
}

TEST(IdleMon, TellsTheWindowOnceWhenIdleAndAgainOnlyWhenReArmed)
{
    const UINT idleMessage = WM_APP + 9;
    AppMessageWindow window;
    IdleMon monitor(window.hwnd, idleMessage);
    EXPECT_TRUE(monitor.IsArmed());
    ASSERT_TRUE(monitor.Start());
    ASSERT_TRUE(test::PumpUntil([&] { return window.Count(idleMessage) == 1; }, 10000));
    EXPECT_FALSE(monitor.IsArmed());
    monitor.Suspend(0);
    monitor.Resume(idleMessage);  // from the handler of its own message: stays quiet
    EXPECT_FALSE(monitor.IsArmed());
    // Nested suspends: only the last resume re-arms.
    monitor.Suspend(0);
    monitor.Suspend(0);
    monitor.Resume(0);
    EXPECT_FALSE(monitor.IsArmed());
    test::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(window.Count(idleMessage), 1);
    monitor.Resume(0);
    ASSERT_TRUE(test::PumpUntil([&] { return window.Count(idleMessage) == 2; }, 10000));
    // More resumes than suspends do not hold it off later.
    monitor.Resume(0);
    monitor.Resume(0);
    monitor.Suspend(0);
    EXPECT_FALSE(monitor.IsArmed());
    monitor.Resume(0);
    ASSERT_TRUE(test::PumpUntil([&] { return window.Count(idleMessage) == 3; }, 10000));
    EXPECT_TRUE(monitor.Stop());
}

TEST(EventSimple, NamedEventIsSharedAndRemembersWhetherItExisted)
{
    std::wstring name = UniqueName(L"GlmbxTestEvent");
    EventSimple first(name.c_str(), TRUE, FALSE), second(name.c_str(), TRUE, FALSE), plain;
    ASSERT_TRUE(first.IsReady() && second.IsReady());
    EXPECT_TRUE(!first.IsAreadyExists() && second.IsAreadyExists());
    first.Set(TRUE);
    EXPECT_TRUE(second.WaitSignalled(0) && second.WaitSignalled(0));  // one event, manual reset
    first.Set(FALSE);
    EXPECT_FALSE(second.WaitSignalled(0));
    first.Set();
    second.Clear();
    EXPECT_FALSE(first.WaitSignalled(0));
    // Open replaces what the object held: now an unnamed auto-reset event, signalled.
    EXPECT_TRUE(first.Open(nullptr, FALSE, TRUE) && !first.IsAreadyExists() && first.WaitSignalled(0));
    EXPECT_FALSE(first.WaitSignalled(0) || plain.WaitSignalled(0));  // the default: auto-reset, not signalled
    EXPECT_TRUE(plain.Set() && plain.WaitSignalled(0) && !plain.WaitSignalled(0));
    plain.Close();
    EXPECT_FALSE(plain.IsReady());
    // A name of another kind of object cannot be an event; nor can a name in no namespace.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, UniqueName(L"GlmbxTestTaken").c_str());
    EventSimple clash(UniqueName(L"GlmbxTestTaken").c_str(), TRUE, TRUE), badPath(L"No\\Such\\Event", TRUE, TRUE);
    EXPECT_FALSE(clash.IsReady() || clash.IsAreadyExists() || clash.WaitSignalled(INFINITE) || clash.Set() ||
                 clash.Clear() || badPath.IsReady() || badPath.WaitSignalled(0));
    CloseHandle(mutex);
}

TEST(MyMutex, OfThisLogOnUnlessAskedSharedByNameAndNeverTakenAbandoned)
{
    std::wstring name = UniqueName(L"GlmbxTestMutex");
    MyMutex local(FALSE, name.c_str()), sameName(FALSE, name.c_str());
    EXPECT_TRUE(Exists(OpenMutexW(SYNCHRONIZE, FALSE, (L"Local\\" + name).c_str())) &&
                !Exists(OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + name).c_str())));
    MyMutex global(TRUE, (name + L"G").c_str());
    EXPECT_TRUE(Exists(OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + name + L"G").c_str())));
    ASSERT_TRUE(local.Wait(0));
    bool gotWhileHeld = true, gotAfter = false, abandonedTaken = false;
    std::thread([&] { gotWhileHeld = sameName.Wait(0); }).join();
    EXPECT_TRUE(local.Release() && !gotWhileHeld);
    std::thread([&] { gotAfter = sameName.Wait(1000) && sameName.Release(); }).join();
    EXPECT_TRUE(gotAfter);
    std::thread([&] { global.Wait(0); }).join();  // the thread ends while it owns the mutex
    EXPECT_FALSE(global.Wait(1000) || global.Release());  // abandoned: not obtained, so not held here
    std::thread([&] { abandonedTaken = global.Wait(0) && global.Release(); }).join();
    EXPECT_TRUE(abandonedTaken);
}

TEST(SingleInstanceXP, FirstObjectHoldsTheMarkerForItsLife)
{
    std::wstring app = UniqueName(L"GlmbxTestApp");
    {
        SingleInstanceXP first, second, other;
        EXPECT_TRUE(first.IsFirstInstance(FALSE, app.c_str()) && first.IsFirstInstance(FALSE, app.c_str()));
        EXPECT_FALSE(second.IsFirstInstance(FALSE, app.c_str()));
        // The marker is the named event, visible to every process of the session.
        EXPECT_TRUE(Exists(OpenEventW(SYNCHRONIZE, FALSE, (L"Local\\Corvantrix_App_" + app).c_str())));
        EXPECT_TRUE(other.IsFirstInstance(FALSE, (app + L"Other").c_str()));  // another name, another program
    }
    SingleInstanceXP later;
    EXPECT_TRUE(later.IsFirstInstance(FALSE, app.c_str()));
}

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
    EXPECT_EQ(ActivatePrevDlg(999), 0);
    EXPECT_TRUE(first.LinesWith("activate", mark).empty());
    EXPECT_EQ(first.LinesWith("identify window=dialog id=999 answer=0", mark).size(), 1u);
    EXPECT_EQ(first.LinesWith("identify window=twin id=999 answer=0", mark).size(), 1u);
    EXPECT_EQ(GetForegroundWindow(), holder);
    // Identity 0 asks nobody: the first dialog of the desktop is the instance, whoever's it is.
    HWND anyDialog = FindWindowExW(nullptr, nullptr, MAKEINTATOM(32770), nullptr);
    mark = first.Mark();
    EXPECT_TRUE(ActivatePrevDlg(0) == 1 && BecomesForeground(anyDialog) && first.LinesWith("identify", mark).empty());

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
