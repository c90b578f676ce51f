// CSThread, CSThreadEx and IdleMon: worker threads whose waits keep the caller's windows alive.
#pragma once

#include <windows.h>

#include <atomic>

#include "sys/Api.h"
#include "sys/SyncObjects.h"

// A worker thread with three manual-reset events: ready (the worker has started), done (it
// has finished) and cancel (the owner asks it to stop). Without a thread every query and
// wait answers true at once. The owner's waits run its message loop, so its windows keep
// working; a window procedure that runs during a wait must not destroy the thread object.
class GLMBX_API CSThread {
public:
    typedef unsigned(__stdcall* ThreadProc)(void* param);

    // How long Create and Destroy wait in all for a worker that does not answer before giving
    // up (see there): the caller can go on, and wait again later.
    enum { DefaultGiveUpMs = 30000 };

    CSThread();
    // Cancels and waits as Destroy does, but until the worker has finished, however long that
    // takes (the caller's messages run meanwhile): a worker never outlives its object.
    virtual ~CSThread();
    CSThread(const CSThread&) = delete;
    CSThread& operator=(const CSThread&) = delete;

    // Cancels the worker and waits for done (timeout bounds each sleep between two message
    // pumps); then closes the thread handle. False when the worker did not finish within
    // the give-up time: the handle is kept, the thread still runs and may be destroyed later.
    virtual bool Destroy(DWORD timeout);

    // Resets the events, starts threadProc(param) (with the priority unless it is 0) and
    // waits for ready, at most the give-up time. The procedure must call SetReady() early.
    // Whether a thread runs; false too while an earlier thread of this object still runs.
    bool Create(ThreadProc threadProc, void* param, int priority);

    void SetReady() { ready.Set(TRUE); }
    void SetDone() { done.Set(TRUE); }
    void SetCancel() { cancel.Set(TRUE); }

    bool IsReady() { return CheckEvent(ready); }
    bool IsDone() { return CheckEvent(done); }
    bool IsCanceled() { return CheckEvent(cancel); }
    // True when there is no thread; else whether the handle is signalled now.
    bool CheckEvent(HANDLE event);
    bool IsRunning() const { return thread != nullptr; }

    bool WaitForThread(DWORD timeout);
    bool WaitForReady(DWORD timeout) { return WaitForEvent(ready, timeout); }
    bool WaitForDone(DWORD timeout) { return WaitForEvent(done, timeout); }
    bool WaitForCancel(DWORD timeout) { return WaitForEvent(cancel, timeout); }
    // With timeout 0, whether the event is signalled now. Otherwise returns only once it is
    // signalled, however long that takes: the time-out bounds each sleep between two runs of
    // the caller's message loop, not the wait. A WM_QUIT met meanwhile is posted again after.
    bool WaitForEvent(HANDLE event, DWORD timeout);

    // Closes the thread handle (the owner and the worker may both try).
    void CloseThreadHandle();

    void SetGiveUpTime(DWORD ms) { giveUpMs = ms; }
    DWORD GetThreadId() const { return threadId; }

protected:
    // Waits for the event, the worker's end or the give-up time, whichever comes first,
    // running the message loop meanwhile. Whether the event is signalled.
    bool WaitForWorker(HANDLE event, DWORD timeout);

    HANDLE thread;
    unsigned threadId;
    EventSimple ready;
    EventSimple done;
    EventSimple cancel;
    CritSec threadLock;
    DWORD giveUpMs;
};

// A worker whose work is the virtual DoThreadEx. A derived class checks IsCanceled() often
// enough to end soon after cancel is set, and stops the worker in its own destructor when
// DoThreadEx uses the derived class's members (the base destructor runs after they are gone).
class GLMBX_API CSThreadEx : public CSThread {
public:
    CSThreadEx() = default;

    virtual unsigned long DoThreadEx();

    bool Start(int priority = 0) { return Create(ThreadProcEx, this, priority); }
    // Destroy with short sleeps between pumps.
    bool Stop() { return Destroy(100); }

    // Sets ready, runs DoThreadEx, sets done.
    static unsigned __stdcall ThreadProcEx(void* param);
};

// Tells a window once, by a posted message (wParam and lParam 0), when the process has
// become idle after activity; Suspend and Resume hold it off around work of the caller.
class GLMBX_API IdleMon : public CSThreadEx {
public:
    IdleMon(HWND target, UINT message);
    ~IdleMon() override;

    unsigned long DoThreadEx() override;

    void Suspend(UINT message);
    // Re-arms at the last Resume, unless that comes from the handler of the monitor's own
    // message (then the monitor stays quiet until armed by another Resume).
    void Resume(UINT message);
    bool IsArmed() const { return armed.load() != FALSE; }

private:
    bool IsIdle();

    HWND target;
    UINT message;
    std::atomic<LONG> suspendCount;
    std::atomic<BOOL> armed;
};
