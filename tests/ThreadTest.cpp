// Worker threads: ready, done and cancel; waits that keep windows alive; bounds; the idle monitor.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "sys/CSThread.h"
#include "tests/support/TestSupport.h"

namespace {

// One message as the window below received it.
struct Received {
    UINT msg;
    WPARAM wParam;
    bool sent;
    bool operator==(const Received& other) const
    {
        return msg == other.msg && wParam == other.wParam && sent == other.sent;
    }
};

// A window of the test's thread that records WM_APP messages (answering each with its
// number) and sets an event on one of them. One at a time.
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
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
    }
    ~AppMessageWindow() { DestroyWindow(hwnd); }
    int Count(UINT msg) const
    {
        return static_cast<int>(std::count_if(received.begin(), received.end(), [msg](const Received& r) { return r.msg == msg; }));
    }

    HWND hwnd;
    std::vector<Received> received;
    UINT signalOn = 0;
    HANDLE signal = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg < WM_APP || msg >= 0xC000)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        current->received.push_back({msg, wParam, InSendMessage() != FALSE});
        if (msg == current->signalOn && current->signal)
            SetEvent(current->signal);
        return msg;
    }
    static inline AppMessageWindow* current = nullptr;
};

// A worker whose body is a lambda-like function of the test.
class Worker : public CSThreadEx {
public:
    typedef unsigned long (*Body)(Worker& self, void* context);
    Worker(Body fn, void* ctx) : body(fn), context(ctx) {}
    ~Worker() override { Destroy(100); }
    unsigned long DoThreadEx() override { return body(*this, context); }

    HANDLE Handle() const { return thread; }
    HANDLE DoneEvent() { return done; }

private:
    Body body;
    void* context;
};

struct Gate {
    HANDLE open = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Gate() { CloseHandle(open); }
};

} // namespace

TEST(CSThread, WithoutAThreadEverythingAnswersAtOnce)
{
    CSThreadEx idle;
    EXPECT_FALSE(idle.IsRunning());
    EXPECT_TRUE(idle.IsReady() && idle.IsDone() && idle.IsCanceled());
    EXPECT_TRUE(idle.WaitForDone(INFINITE) && idle.WaitForThread(INFINITE) && idle.Destroy(INFINITE) && idle.Stop());
}

TEST(CSThread, ReadyDoneAndResult)
{
    Gate gate;
    Worker worker(
        [](Worker&, void* context) -> unsigned long {
            WaitForSingleObject(static_cast<Gate*>(context)->open, 10000);
            return 42;
        },
        &gate);
    ASSERT_TRUE(worker.Start());
    // Start returns once the worker has set ready.
    EXPECT_TRUE(worker.IsRunning() && worker.IsReady());
    EXPECT_FALSE(worker.IsDone() || worker.IsCanceled() || worker.WaitForDone(0));

    SetEvent(gate.open);
    EXPECT_TRUE(worker.WaitForDone(20));
    EXPECT_TRUE(worker.IsDone());
    EXPECT_TRUE(worker.WaitForThread(10000));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(worker.Handle(), &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(worker.Stop());
    EXPECT_FALSE(worker.IsRunning());

    // The object can run again; the events start over.
    ResetEvent(gate.open);
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.IsDone());
    EXPECT_FALSE(worker.Start());  // one thread at a time
    SetEvent(gate.open);
    EXPECT_TRUE(worker.WaitForDone(20));
}

TEST(CSThread, StopCancelsAndReturnsWhenTheWorkerIsDone)
{
    std::atomic<bool> sawCancel{false};
    Worker worker(
        [](Worker& self, void* context) -> unsigned long {
            while (!self.IsCanceled())
                Sleep(1);
            *static_cast<std::atomic<bool>*>(context) = true;
            return 0;
        },
        &sawCancel);
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.Stop());
    EXPECT_TRUE(sawCancel);
    EXPECT_FALSE(worker.IsRunning());

    // A worker that ends at once.
    Worker quick([](Worker&, void*) -> unsigned long { return 0; }, nullptr);
    ASSERT_TRUE(quick.Start());
    EXPECT_TRUE(quick.Stop());
    EXPECT_FALSE(quick.IsRunning());
}

TEST(CSThread, WaitKeepsTheCallersWindowsAlive)
{
    AppMessageWindow window;
    Gate posted;
    window.signalOn = WM_APP + 2;
    window.signal = posted.open;
    struct Context {
        HWND hwnd;
        HANDLE posted;
        DWORD_PTR sentAnswer = 0;
        bool sendWorked = false;
        bool postSeen = false;
    } context{window.hwnd, posted.open};

    // The worker needs the waiting thread twice: to answer a sent message, and to dispatch a
    // posted one before it goes on. Without a live message loop it would never finish.
    Worker worker(
        [](Worker&, void* p) -> unsigned long {
            auto* c = static_cast<Context*>(p);
            c->sendWorked = SendMessageTimeoutW(c->hwnd, WM_APP + 1, 7, 0, SMTO_NORMAL, 10000, &c->sentAnswer) != 0;
            PostMessageW(c->hwnd, WM_APP + 2, 8, 0);
            c->postSeen = WaitForSingleObject(c->posted, 10000) == WAIT_OBJECT_0;
            return 0;
        },
        &context);
    ASSERT_TRUE(worker.Start());
    // A short time-out only spaces the pumps: the wait lasts until done.
    EXPECT_TRUE(worker.WaitForDone(5));
    EXPECT_TRUE(context.sendWorked);
    EXPECT_EQ(context.sentAnswer, static_cast<DWORD_PTR>(WM_APP + 1));
    EXPECT_TRUE(context.postSeen);
    std::vector<Received> expected = {{WM_APP + 1, 7, true}, {WM_APP + 2, 8, false}};
    EXPECT_EQ(window.received, expected);
}

TEST(CSThread, QuitMetDuringAWaitIsPostedAgain)
{
    AppMessageWindow window;
    struct Context {
        DWORD owner;
        HWND hwnd;
    } context{GetCurrentThreadId(), window.hwnd};
    Worker worker(
        [](Worker&, void* p) -> unsigned long {
            auto* c = static_cast<Context*>(p);
            PostThreadMessageW(c->owner, WM_QUIT, 7, 0);
            // Answered only while the owner pumps, which takes the quit as well.
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(c->hwnd, WM_APP + 3, 0, 0, SMTO_NORMAL, 10000, &answer);
            return 0;
        },
        &context);
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(worker.WaitForDone(50));
    EXPECT_EQ(window.Count(WM_APP + 3), 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

namespace {

// A bare thread procedure that forgets to set ready (and done).
unsigned __stdcall SilentWorker(void* context)
{
    WaitForSingleObject(static_cast<Gate*>(context)->open, INFINITE);
    return 0;
}

unsigned long Stubborn(Worker&, void* context)
{
    WaitForSingleObject(static_cast<Gate*>(context)->open, INFINITE);
    return 0;
}

} // namespace

TEST(CSThread, GivingUpOnWorkersThatIgnoreCancelOrNeverSetReady)
{
    Gate release;
    Worker stubborn(Stubborn, &release);
    stubborn.SetGiveUpTime(200);
    ASSERT_TRUE(stubborn.Start());
    EXPECT_FALSE(stubborn.Destroy(50));
    EXPECT_TRUE(stubborn.IsRunning() && stubborn.IsCanceled());  // still known, so it can be waited for again
    EXPECT_FALSE(stubborn.Destroy(0));
    SetEvent(release.open);
    stubborn.SetGiveUpTime(CSThread::DefaultGiveUpMs);
    EXPECT_TRUE(stubborn.Destroy(50));
    EXPECT_FALSE(stubborn.IsRunning());

    // The destructor ends a worker that never finishes: it cannot run on into the freed object.
    Gate never;
    auto* endless = new Worker(Stubborn, &never);
    endless->SetGiveUpTime(200);
    ASSERT_TRUE(endless->Start());
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, endless->GetThreadId());
    ASSERT_NE(thread, nullptr);
    delete endless;
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);

    // Create gives up on a worker that never sets ready; its end is enough for Destroy.
    ResetEvent(release.open);
    CSThread silent;
    silent.SetGiveUpTime(200);
    ASSERT_TRUE(silent.Create(SilentWorker, &release, THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_TRUE(silent.IsRunning());
    EXPECT_FALSE(silent.IsReady());
    SetEvent(release.open);
    silent.SetGiveUpTime(CSThread::DefaultGiveUpMs);
    EXPECT_TRUE(silent.Destroy(50));
    EXPECT_FALSE(silent.IsRunning());
    EXPECT_FALSE(silent.Create(nullptr, nullptr, 0));
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

    // Resumed from the handler of its own message: stays quiet.
    monitor.Suspend(0);
    monitor.Resume(idleMessage);
    EXPECT_FALSE(monitor.IsArmed());

    // Nested suspends: only the last resume re-arms.
    monitor.Suspend(0);
    monitor.Suspend(0);
    monitor.Resume(0);
    EXPECT_FALSE(monitor.IsArmed());
    test::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(window.Count(idleMessage), 1);
    monitor.Resume(0);
    EXPECT_TRUE(monitor.IsArmed() || window.Count(idleMessage) == 2);
    ASSERT_TRUE(test::PumpUntil([&] { return window.Count(idleMessage) == 2; }, 10000));

    // More resumes than suspends do not hold it off later.
    monitor.Resume(0);
    monitor.Resume(0);
    monitor.Suspend(0);
    EXPECT_FALSE(monitor.IsArmed());
    monitor.Resume(0);
    EXPECT_TRUE(monitor.IsArmed() || window.Count(idleMessage) == 3);
    ASSERT_TRUE(test::PumpUntil([&] { return window.Count(idleMessage) == 3; }, 10000));
    EXPECT_TRUE(monitor.Stop());
}
