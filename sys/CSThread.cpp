// CSThread, CSThreadEx and IdleMon: starting, waiting for and stopping workers.
#include "sys/CSThread.h"

#include <process.h>

#include "sys/PrevInstance.h"

CSThread::CSThread()
    : thread(nullptr), threadId(0), ready(nullptr, TRUE, FALSE), done(nullptr, TRUE, FALSE),
      cancel(nullptr, TRUE, FALSE), giveUpMs(DefaultGiveUpMs)
{
}

CSThread::~CSThread()
{
    if (thread) {
        if (!IsCanceled())
            SetCancel();
        // No giving up here: left running, the worker would go on into the freed object, and
        // killed, it could leave a lock it held (the heap's) taken for the rest of the process.
        while (!WaitForWorker(done, 6000) && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
        }
    }
    CloseThreadHandle();
}

bool CSThread::Destroy(DWORD timeout)
{
    if (thread) {
        if (!IsCanceled())
            SetCancel();
        if (!WaitForWorker(done, timeout) && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
            return false;
    }
    CloseThreadHandle();
    return true;
}

bool CSThread::Create(ThreadProc threadProc, void* param, int priority)
{
    if (!threadProc)
        return false;
    if (thread) {
        if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT)
            return false;
        CloseThreadHandle();
    }
    ready.Clear();
    done.Clear();
    cancel.Clear();
    unsigned id = 0;
    // Suspended until the handle is stored: the worker may look at it from its first step.
    uintptr_t started = _beginthreadex(nullptr, 0, threadProc, param, CREATE_SUSPENDED, &id);
    if (!started)
        return false;
    {
        CritSecLock lock(threadLock);
        thread = reinterpret_cast<HANDLE>(started);
        threadId = id;
    }
    if (priority != 0)
        SetThreadPriority(thread, priority);
    ResumeThread(thread);
    WaitForWorker(ready, 5000);
    return thread != nullptr;
}

bool CSThread::CheckEvent(HANDLE event)
{
    if (!thread)
        return true;
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

bool CSThread::WaitForThread(DWORD timeout)
{
    if (!thread)
        return true;
    return WaitForSingleObject(thread, timeout) == WAIT_OBJECT_0;
}

bool CSThread::WaitForEvent(HANDLE event, DWORD timeout)
{
    if (!thread)
        return true;
    if (timeout == 0)
        return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, timeout, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0)
            break;
        if (result == WAIT_FAILED) {
            // Not an event (closed meanwhile, say): pumping again would only spin.
            if (WaitForSingleObject(event, 0) == WAIT_FAILED)
                return false;
        }
        if (!ProcessAllMessages(nullptr, &quitCode))
            quit = true;
    }
    if (quit)
        PostQuitMessage(quitCode);
    return true;
}

bool CSThread::WaitForWorker(HANDLE event, DWORD timeout)
{
    if (!thread)
        return true;
    if (timeout == 0)
        return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    HANDLE handles[2] = {event, thread};
    DWORD start = GetTickCount();
    bool quit = false;
    int quitCode = 0;
    bool signalled = false;
    for (;;) {
        if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= giveUpMs)
            break;
        DWORD left = giveUpMs - elapsed;
        DWORD result = MsgWaitForMultipleObjects(2, handles, FALSE, timeout < left ? timeout : left, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        // A worker that has ended will not signal anything any more.
        if (result == WAIT_OBJECT_0 + 1 || result == WAIT_FAILED) {
            signalled = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
            break;
        }
        if (!ProcessAllMessages(nullptr, &quitCode))
            quit = true;
    }
    if (quit)
        PostQuitMessage(quitCode);
    return signalled;
}

void CSThread::CloseThreadHandle()
{
    CritSecLock lock(threadLock);
    if (thread)
        CloseHandle(thread);
    thread = nullptr;
}

unsigned long CSThreadEx::DoThreadEx()
{
    return 0;
}

unsigned __stdcall CSThreadEx::ThreadProcEx(void* param)
{
    auto* self = static_cast<CSThreadEx*>(param);
    self->SetReady();
    unsigned long result = self->DoThreadEx();
    // The last touch of the object: the owner may free it as soon as done is set.
    self->SetDone();
    return static_cast<unsigned>(result);
}

IdleMon::IdleMon(HWND targetWindow, UINT notifyMessage)
    : target(targetWindow), message(notifyMessage), suspendCount(0), armed(TRUE)
{
}

IdleMon::~IdleMon()
{
    // The worker reads this object's members: it must end before they go.
    Destroy(100);
}

// Whether the process waits for input with nothing pending. Where the system gives no idle
// signal for the own process (Wine fails the call outright), the target window's thread
// answering at once stands in for it.
bool IdleMon::IsIdle()
{
    DWORD result = WaitForInputIdle(GetCurrentProcess(), 50);
    if (result != WAIT_FAILED)
        return result == 0;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 50, &ignored) != 0;
}

unsigned long IdleMon::DoThreadEx()
{
    while (thread && !IsCanceled()) {
        Sleep(50);
        if (!armed.load() || !IsWindow(target) || !IsIdle())
            continue;
        Sleep(50);
        if (!armed.load() || !IsIdle())
            continue;
        // Claimed before posting, so a Suspend meanwhile cannot make it post twice.
        if (armed.exchange(FALSE))
            PostMessageW(target, message, 0, 0);
    }
    return 0;
}

void IdleMon::Suspend(UINT)
{
    ++suspendCount;
    armed.store(FALSE);
}

void IdleMon::Resume(UINT resumeMessage)
{
    LONG count = suspendCount.load();
    // More resumes than suspends leave the count at 0 rather than holding the monitor off.
    while (count > 0 && !suspendCount.compare_exchange_weak(count, count - 1)) {
    }
    if (suspendCount.load() == 0 && resumeMessage != message)
        armed.store(TRUE);
}
